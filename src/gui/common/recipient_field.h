#pragma once

#include <QString>
#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace pelmar {

class RecipientNumber;

// Where the caret goes when a filter rewrites a text the user just edited: behind what the
// filter kept of the text before the old caret, so typing goes on where it was.
int caretAfterFilter(const QString& text, int caret,
                     const std::function<QString(const QString&)>& filter, int filteredSize);

// Makes `field` one of the recipient number fields: each edit goes through `recipient`
// (digits and "+" only) and the field follows every change of the shared number, keeping the
// caret where the user typed.
void bindRecipientField(QLineEdit* field, RecipientNumber& recipient);

// Replaces the text of `edit` by filter(text) when that differs, keeping the caret where the
// user typed. True when the text was rewritten.
bool rewriteKeepingCaret(QPlainTextEdit* edit,
                         const std::function<QString(const QString&)>& filter);

// The small button beside a number field that picks a number from the phonebooks.
void setUpPickerButton(QToolButton* button);

}  // namespace pelmar
