#pragma once

#include <QLabel>
#include <QString>

namespace pelmar {

// A line of text that changes while the user works (a status panel, a counter): a screen
// reader hears its current text as its name, and each change is announced. What its role says
// it is ("Operation status") is its description, and its name while it has no text. An elided
// one cuts a text wider than its room with "…", the whole of it in the tool tip.
class LiveText : public QLabel {
    Q_OBJECT

  public:
    explicit LiveText(QWidget* parent = nullptr);

    void setRole(const QString& role);
    void setElided(bool elided);
    void setFullText(const QString& text);
    const QString& fullText() const { return m_text; }

    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fit();

    QString m_text;
    bool m_elided = false;
};

}  // namespace pelmar
