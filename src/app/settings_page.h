#pragma once

#include <QUrl>
#include <QWidget>

class QCheckBox;
class QLabel;

namespace Ui {
class SettingsPage;
}

namespace pelmar {

class PortSelector;

// The "Settings" tab: the serial port, the older-handset switch, the banner and our two links.
class SettingsPage : public QWidget {
    Q_OBJECT

  public:
    static QUrl contactUrl() { return QUrl(QStringLiteral("mailto:pelmar@example.org")); }
    static QUrl webUrl() { return QUrl(QStringLiteral("https://www.example.org/pelmar/")); }

    explicit SettingsPage(QWidget* parent = nullptr);
    ~SettingsPage() override;

    PortSelector* portSelector() const;
    QCheckBox* olderHandsetCheck() const;

  private:
    void Label15Click();
    void Label16Click();

    Ui::SettingsPage* ui;
};

}  // namespace pelmar
