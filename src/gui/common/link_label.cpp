#include "gui/common/link_label.h"

#include <QFocusEvent>

namespace pelmar {

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::setLink(const QString& text, const QString& toolTip) {
    setText(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()));
    setAccessibleName(text);
    setToolTip(toolTip);
}

void LinkLabel::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    // Arriving by Tab selects the link at once, so Enter follows it and the next Tab leaves.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        QLabel::focusNextPrevChild(event->reason() == Qt::TabFocusReason);
}

}  // namespace pelmar
