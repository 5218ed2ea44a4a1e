#include "gui/common/operation_status.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>

#include "gui/common/live_text.h"

namespace pelmar {

OperationStatus::OperationStatus(QWidget* parent)
    : QWidget(parent),
      m_text(new LiveText(this)),
      m_progress(new QProgressBar(this)),
      m_cancel(new QToolButton(this)) {
    setObjectName(QStringLiteral("OperationStatus"));
    m_text->setObjectName(QStringLiteral("OperationText"));
    m_text->setRole(QStringLiteral("Operation status"));
    m_text->setElided(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_progress->setObjectName(QStringLiteral("OperationProgress"));
    m_progress->setAccessibleName(QStringLiteral("Operation progress"));
    m_progress->setMaximumWidth(m_progress->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12);
    m_progress->setTextVisible(true);
    m_progress->hide();
    m_cancel->setObjectName(QStringLiteral("CancelOperationButton"));
    m_cancel->setText(QStringLiteral("Cancel"));
    m_cancel->setAccessibleName(QStringLiteral("Cancel"));
    m_cancel->setToolTip(QStringLiteral("Cancel the running operation"));
    m_cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    m_cancel->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_cancel->setAutoRaise(true);
    m_cancel->hide();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_progress);
    layout->addWidget(m_cancel);
    connect(m_cancel, &QToolButton::clicked, this, &OperationStatus::cancelRequested);
}

QString OperationStatus::text() const {
    return m_text->fullText();
}

void OperationStatus::setBusy(bool busy) {
    m_cancel->setVisible(busy);
    m_cancel->setEnabled(busy);
    if (!busy)
        m_progress->hide();
}

void OperationStatus::showStep(const QString& text, int done, int total) {
    m_text->setFullText(text);
    m_progress->setVisible(total > 0);
    if (total > 0) {
        m_progress->setRange(0, total);
        m_progress->setValue(qBound(0, done, total));
        m_progress->setFormat(QStringLiteral("%1 of %2").arg(done).arg(total));
    }
}

void OperationStatus::showResult(const QString& text) {
    m_text->setFullText(text);
    m_progress->hide();
}

}  // namespace pelmar
