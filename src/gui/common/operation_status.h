#pragma once

#include <QWidget>

class QProgressBar;
class QToolButton;

namespace pelmar {

class LiveText;

// Panel 0 of the status bar: what the running operation does, its counted progress, and the
// one control that stays live while the tabs are disabled: Cancel.
class OperationStatus : public QWidget {
    Q_OBJECT

  public:
    explicit OperationStatus(QWidget* parent = nullptr);

    QString text() const;

  public slots:
    // Busy shows Cancel; idle hides it and the progress bar.
    void setBusy(bool busy);
    // A step of the running operation; `total` > 0 shows "done of total" in the bar.
    void showStep(const QString& text, int done, int total);
    // The result when the operation ends ("Done.", "Can not connect to phone.").
    void showResult(const QString& text);

  signals:
    void cancelRequested();

  private:
    LiveText* m_text;
    QProgressBar* m_progress;
    QToolButton* m_cancel;
};

}  // namespace pelmar
