#include "app/demo_data.h"

#include <QDir>

#include "phonebook/phone_books.h"
#include "sim/sim_state.h"

namespace pelmar {

void writeDemoPhoneBooks(const QString& directory) {
    const simulator::HandsetState demo = simulator::demoSimState();
    QDir().mkpath(directory);
    for (const PhoneBookKindInfo& info : kPhoneBookKinds) {
        const auto book = demo.phonebooks.constFind(info.storage.toString().toLatin1());
        if (book == demo.phonebooks.cend())
            continue;
        PhoneBookStore store;
        for (const simulator::Contact& contact : book->entries)
            store.append(PhoneBookEntry::fromHandset(contact.number, contact.type, contact.name));
        store.saveFile(QDir(directory).filePath(info.fileName));
    }
}

}  // namespace pelmar
