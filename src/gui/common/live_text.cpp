#include "gui/common/live_text.h"

#include <QAccessible>
#include <QResizeEvent>

namespace pelmar {

LiveText::LiveText(QWidget* parent) : QLabel(parent) {}

void LiveText::setRole(const QString& role) {
    setAccessibleDescription(role);
    if (m_text.isEmpty())
        setAccessibleName(role);
}

void LiveText::setElided(bool elided) {
    m_elided = elided;
    updateGeometry();
    fit();
}

void LiveText::setFullText(const QString& text) {
    m_text = text;
    setAccessibleName(text.isEmpty() ? accessibleDescription() : text);
    fit();
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

QSize LiveText::minimumSizeHint() const {
    // Elided, any width will do: a long text is cut, never pushing its neighbours away.
    if (!m_elided)
        return QLabel::minimumSizeHint();
    return {0, QLabel::minimumSizeHint().height()};
}

void LiveText::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    fit();
}

void LiveText::fit() {
    const QString shown =
        m_elided ? fontMetrics().elidedText(m_text, Qt::ElideRight, contentsRect().width())
                 : m_text;
    setText(shown);
    if (m_elided)
        setToolTip(shown == m_text ? QString() : m_text);
}

}  // namespace pelmar
