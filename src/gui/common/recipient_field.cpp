#include "gui/common/recipient_field.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextCursor>
#include <QToolButton>

#include "sms/message_input.h"
#include "sms/recipient_number.h"

namespace pelmar {

namespace {

// What every number field takes at most, as the handset's number fields do.
constexpr int kNumberFieldLength = 16;

}  // namespace

int caretAfterFilter(const QString& text, int caret,
                     const std::function<QString(const QString&)>& filter, int filteredSize) {
    return qMin(static_cast<int>(filter(text.first(qBound(0, caret, int(text.size())))).size()),
                filteredSize);
}

void bindRecipientField(QLineEdit* field, RecipientNumber& recipient) {
    field->setMaxLength(kNumberFieldLength);
    field->setText(recipient.number());
    const auto show = [field](const QString& number) {
        if (field->text() == number)
            return;
        const int caret = field->hasFocus()
                              ? caretAfterFilter(field->text(), field->cursorPosition(),
                                                 FilterPhoneNumber, int(number.size()))
                              : int(number.size());
        field->setText(number);
        field->setCursorPosition(caret);
    };
    QObject::connect(field, &QLineEdit::textEdited, &recipient,
                     [field, &recipient, show](const QString& text) {
                         recipient.setNumber(text);
                         // A dropped character ("(", a blank) changes no number and is not
                         // announced: the field shows the number all the same.
                         show(recipient.number());
                     });
    QObject::connect(&recipient, &RecipientNumber::numberChanged, field, show);
}

bool rewriteKeepingCaret(QPlainTextEdit* edit,
                         const std::function<QString(const QString&)>& filter) {
    const QString text = edit->toPlainText();
    const QString kept = filter(text);
    if (kept == text)
        return false;
    const int caret =
        caretAfterFilter(text, edit->textCursor().position(), filter, int(kept.size()));
    {
        const QSignalBlocker quiet(edit);
        edit->setPlainText(kept);
    }
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(caret);
    edit->setTextCursor(cursor);
    return true;
}

void setUpPickerButton(QToolButton* button) {
    const QString text = QStringLiteral("Pick a number from the phonebooks");
    button->setIcon(button->style()->standardIcon(QStyle::SP_FileDialogContentsView));
    button->setAccessibleName(text);
    button->setToolTip(text);
    button->setFocusPolicy(Qt::StrongFocus);
}

}  // namespace pelmar
