// The phonebook commands of the simulated handset: choosing, reading and writing a book.
#include "sim/handset_model.h"
#include "sim/model_answers.h"

namespace pelmar::simulator {

using namespace answers;

ContactList& HandsetModel::currentBook() {
    return m_state.phonebooks[m_phonebook];
}

Answer HandsetModel::cpbs(const AtCommand& c) {
    if (c.form == Form::Test) {
        QList<QByteArray> names;
        for (const QByteArray& n : m_state.phonebooks.keys())
            names.append(quoted(n));
        return ok({QByteArrayLiteral("+CPBS: (") + names.join(',') + ')'});
    }
    if (c.form == Form::Read) {
        const ContactList& book = currentBook();
        return ok({QByteArrayLiteral("+CPBS: ") + quoted(m_phonebook) + ',' +
                   QByteArray::number(book.entries.size()) + ',' +
                   QByteArray::number(book.capacity)});
    }
    const auto args = splitAtArguments(c.parameter);
    if (c.form != Form::Set || !args || args->size() != 1)
        return error();
    const QByteArray wanted = args->first().value.toUpper();
    if (!m_state.phonebooks.contains(wanted))
        return cmeError(3);
    m_phonebook = wanted;
    return ok();
}

Answer HandsetModel::cpbr(const AtCommand& c) {
    const ContactList& book = currentBook();
    if (c.form == Form::Test) {
        return ok({QByteArrayLiteral("+CPBR: (1-") + QByteArray::number(book.capacity) + ")," +
                   QByteArray::number(book.numberLength) + ',' +
                   QByteArray::number(book.nameLength)});
    }
    const auto args = splitAtArguments(c.parameter);
    if (c.form != Form::Set || !args || args->isEmpty() || args->size() > 2)
        return error();
    const auto first = intArgument(*args, 0);
    const auto last = args->size() == 2 ? intArgument(*args, 1) : first;
    if (!first || !last)
        return error();
    if (*first < 1 || *last > book.capacity || *first > *last)
        return cmeError(21);
    Answer result = ok();
    for (auto it = book.entries.lowerBound(*first); it != book.entries.end() && it.key() <= *last;
         ++it) {
        result.lines.append(QByteArrayLiteral("+CPBR: ") + QByteArray::number(it.key()) + ',' +
                            quoted(it->number) + ',' + QByteArray::number(it->type) + ',' +
                            quoted(it->name));
    }
    return result;
}

Answer HandsetModel::cpbw(const AtCommand& c) {
    ContactList& book = currentBook();
    if (c.form == Form::Test) {
        return ok({QByteArrayLiteral("+CPBW: (1-") + QByteArray::number(book.capacity) + ")," +
                   QByteArray::number(book.numberLength) + ",(129,145,161)," +
                   QByteArray::number(book.nameLength)});
    }
    auto args = splitAtArguments(c.parameter);
    if (c.form != Form::Set || !args || args->isEmpty() || args->size() > 5)
        return error();
    // An older handset wants "k,1,\"number\",type,\"name\"" and empties with "k,1": its bare 1
    // is no dial string (those are quoted) and is skipped. A standard handset reads that 1 as
    // the number, so "k,1" stores the number 1 and the longer form has a text as its type.
    if (m_dialect == HandsetDialect::Older && args->size() >= 2 && !args->at(1).quoted &&
        args->at(1).value == "1")
        args->removeAt(1);
    if (args->size() > 4)
        return error();

    int index = 0;
    if (args->first().isEmpty()) {
        index = 1;
        while (index <= book.capacity && book.entries.contains(index))
            ++index;
        if (index > book.capacity)
            return cmeError(20);
    } else {
        const auto given = intArgument(*args, 0);
        if (!given)
            return error();
        index = *given;
    }
    if (index < 1 || index > book.capacity)
        return cmeError(21);
    if (args->size() == 1) {
        book.entries.remove(index);
        return ok();
    }

    Contact entry;
    entry.number = args->at(1).value;
    entry.name = args->size() > 3 ? args->at(3).value : QByteArray();
    entry.type = entry.number.startsWith('+') ? 145 : 129;
    if (args->size() > 2 && args->at(2).quoted)
        return error();
    if (args->size() > 2 && !args->at(2).isEmpty()) {
        const auto type = intArgument(*args, 2);
        if (!type || *type < 128 || *type > 255)
            return cmeError(50);
        entry.type = *type;
    }
    if (!isDialString(entry.number))
        return cmeError(27);
    if (entry.number.size() > book.numberLength)
        return cmeError(26);
    if (entry.name.size() > book.nameLength)
        return cmeError(24);
    book.entries.insert(index, entry);
    return ok();
}

}  // namespace pelmar::simulator
