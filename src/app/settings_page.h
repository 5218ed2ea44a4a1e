#pragma once

#include <QUrl>
#include <QWidget>

#include "gui/common/page_seam.h"

class QCheckBox;
class QLabel;

namespace Ui {
class SettingsPage;
}

namespace pelmar {

class PortSelector;

// The "Settings" tab: the serial port (with Find phone and Test), the older-handset switch, the
// banner and our two links.
class SettingsPage : public QWidget {
    Q_OBJECT

  public:
    static QUrl contactUrl() { return QUrl(QStringLiteral("mailto:pelmar@example.org")); }
    static QUrl webUrl() { return QUrl(QStringLiteral("https://www.example.org/pelmar/")); }

    explicit SettingsPage(Workspace& workspace, QWidget* parent = nullptr);
    ~SettingsPage() override;

    PortSelector* portSelector() const;
    QCheckBox* olderHandsetCheck() const;

  signals:
    // Find phone chose the port where a phone answered.
    void portFound(const QString& name);

  private:
    void Label15Click();
    void Label16Click();
    void FindPhoneBtnClick();
    void TestPortBtnClick();
    void ShowLogBtnClick();

    Ui::SettingsPage* ui;
    Workspace& m_workspace;
    PageSeam m_seam;
};

}  // namespace pelmar
