#include "gui/common/accessible_names.h"

#include <QLabel>
#include <QRegularExpression>

namespace pelmar {

void nameFieldsByTheirLabels(QWidget* root) {
    for (const QLabel* label : root->findChildren<QLabel*>()) {
        QWidget* field = label->buddy();
        if (field && field->accessibleName().isEmpty()) {
            QString text = label->text();
            text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
            field->setAccessibleName(text.remove(u':').trimmed());
        }
    }
}

}  // namespace pelmar
