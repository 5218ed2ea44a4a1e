#pragma once

#include <QLabel>

namespace pelmar {

// A label that is one link: blue, underlined, a hand cursor, followed with the mouse or with
// Tab and Enter. One Tab reaches the link and the next leaves it (a plain QLabel takes two).
class LinkLabel : public QLabel {
    Q_OBJECT

  public:
    explicit LinkLabel(QWidget* parent = nullptr);

    // Shows `text` as the link; the accessible name is the text, the tool tip says what a
    // click does. Clicks arrive as linkActivated.
    void setLink(const QString& text, const QString& toolTip);

  protected:
    void focusInEvent(QFocusEvent* event) override;
};

}  // namespace pelmar
