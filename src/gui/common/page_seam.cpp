#include "gui/common/page_seam.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <algorithm>

#include "gui/common/dialogs.h"

namespace pelmar {

PageSeam::PageSeam(QWidget* page, Workspace& workspace) : m_page(page), m_workspace(workspace) {}

void PageSeam::setFields(QWidget* fallback, QHash<InputField, QWidget*> fields) {
    m_fallback = fallback;
    m_fields = std::move(fields);
}

void PageSeam::refuse(const InputProblem& problem) const {
    m_workspace.dialogs.showError(m_page->window(), problem.text);
    focusOn(problem.field);
}

void PageSeam::refuse(const QString& text) const {
    m_workspace.dialogs.showError(m_page->window(), text);
    focusOn(std::nullopt);
}

void PageSeam::focusOn(const std::optional<InputField>& field) const {
    QWidget* widget = field ? m_fields.value(*field, m_fallback) : m_fallback;
    if (widget)
        widget->setFocus(Qt::OtherFocusReason);
}

QList<int> selectedRows(const QAbstractItemView* view) {
    QList<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace pelmar
