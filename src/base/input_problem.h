#pragma once

#include <QString>
#include <optional>

#include "base/error.h"

// Input the user must fix before anything goes to the handset, and the field it stands in, so
// that the page can put the focus there after the message box.
namespace pelmar {

// Every field a check can name; the GUI maps each to its widget.
enum class InputField {
    MessageText,
    RecipientNumber,
    RingtoneText,
    PictureText,
    PictureImage,
    LogoImage,
    LogoNetwork,
    PhonebookName,
    PhonebookNumber,
};

// What is wrong, in a sentence for a message box, and where.
struct InputProblem {
    InputField field;
    QString text;
    bool operator==(const InputProblem&) const = default;
};

// Thrown by the builders of a whole message when the user's input cannot go.
class EInput : public Error {
  public:
    EInput(InputField field, const QString& text) : Error(text), m_field(field) {}
    explicit EInput(const InputProblem& problem) : EInput(problem.field, problem.text) {}

    InputField field() const { return m_field; }
    InputProblem problem() const { return {m_field, message()}; }

  private:
    InputField m_field;
};

// Throws EInput for a problem a check found.
inline void throwIf(const std::optional<InputProblem>& problem) {
    if (problem)
        throw EInput(*problem);
}

// Runs one step of building a message: an Error it throws that names no field is about `field`
// (the picture text, the logo image).
template <class Step>
auto inField(InputField field, const Step& step) -> decltype(step()) {
    try {
        return step();
    } catch (const EInput&) {
        throw;
    } catch (const Error& e) {
        throw EInput(field, e.message());
    }
}

// `"Ж" (U+0416) at position 3`: the character at `index` of `text`, counting a surrogate pair
// as the one character the user sees.
QString describeChar(const QString& text, qsizetype index);

}  // namespace pelmar
