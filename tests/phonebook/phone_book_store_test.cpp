#include "phonebook/phone_book_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "phonebook/data_location.h"
#include "phonebook/phone_books.h"
#include "phonebook/record_bytes.h"
#include "support/table.h"

using namespace Qt::StringLiterals;

namespace pelmar {
namespace {

const QString kData = QStringLiteral(PELMAR_TEST_DATA);
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

PhoneBookStore storeOf(std::initializer_list<std::pair<QString, QString>> nameAndNumber) {
    PhoneBookStore s;
    for (const auto& [name, number] : nameAndNumber)
        s.append(PhoneBookEntry::fromUser(name, number));
    return s;
}

QStringList names(const PhoneBookStore& s) {
    QStringList out;
    for (const PhoneBookRow& row : s.rows())
        out << row.name + u':' + row.number;
    return out;
}

struct SizeCase {
    const char* label;
    qsizetype size;
    qsizetype entries;
};

class FileSizeTest : public testing::TestWithParam<SizeCase> {};

TEST_P(FileSizeTest, TrailingPartialRecordIsRoundedToNearest) {
    QByteArray file;
    for (int i = 0; i < 5; ++i)
        file += test::recordBytes("55" + QByteArray::number(i), 129,
                                  QByteArray(60, static_cast<char>('a' + i)));
    file.truncate(GetParam().size);
    const PhoneBookStore s = PhoneBookStore::fromFileBytes(file);
    ASSERT_EQ(s.count(), GetParam().entries);
    if (GetParam().entries == 4) {  // 152 bytes of the fourth: 49 name bytes, then zeros
        EXPECT_EQ(s.at(3).Number(), "553");
        EXPECT_EQ(s.at(3).Name(), QByteArray(49, 'd') + QByteArray(11, '\0'));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, FileSizeTest,
                         testing::Values(SizeCase{"Empty", 0, 0}, SizeCase{"Bytes151", 151, 0},
                                         SizeCase{"Bytes152", 152, 1}, SizeCase{"Bytes909", 909, 3},
                                         SizeCase{"Bytes1060", 1060, 3},
                                         SizeCase{"Bytes1061", 1061, 4}),
                         test::ByLabel());

TEST(PhoneBookFileTest, OldFileWithLeftoverBytesLoadsAndRoundTrips) {
    const PhoneBookStore s = PhoneBookStore::loadFile(kData + u"/phonebook-sm.dat"_s);
    EXPECT_EQ(names(s), (QStringList{u"Анна:+380501234567"_s, u"Bob:0123"_s, u"Ёлка №5:555"_s}));
    EXPECT_EQ(s.at(0).NumberType(), 145);
    QTemporaryDir dir;
    const QString first = dir.filePath(u"a.dat"_s), second = dir.filePath(u"b.dat"_s);
    s.saveFile(first);
    PhoneBookStore::loadFile(first).saveFile(second);
    EXPECT_EQ(readAll(first).size(), 909);
    EXPECT_EQ(readAll(first), readAll(second));
}

TEST(PhoneBookFileTest, CorruptLengthsDoNotShiftTheNextRecord) {
    const PhoneBookStore s =
        PhoneBookStore::loadFile(kData + u"/broken-phonebook-long-lengths.dat"_s);
    ASSERT_EQ(s.count(), 2);
    EXPECT_EQ(s.at(0).Number(), QByteArray(100, '1'));
    EXPECT_EQ(s.at(0).Name(), QByteArray(200, 'A'));
    EXPECT_EQ(s.at(1).Name(), "Next");
}

TEST(PhoneBookFileTest, MissingOrEmptyFileGivesEmptyStoreAndFolderIsAnError) {
    QTemporaryDir dir;
    EXPECT_TRUE(PhoneBookStore::loadFile(dir.filePath(u"none.dat"_s)).isEmpty());
    PhoneBookStore().saveFile(dir.filePath(u"empty.dat"_s));
    EXPECT_TRUE(QFile::exists(dir.filePath(u"empty.dat"_s)));
    EXPECT_TRUE(PhoneBookStore::loadFile(dir.filePath(u"empty.dat"_s)).isEmpty());
    EXPECT_THROW(PhoneBookStore::loadFile(dir.path()), PhoneBookError);
}

TEST(PhoneBookFileTest, FailedSaveLeavesOldFile) {
    QTemporaryDir dir;
    const PhoneBookStore s = storeOf({{u"Ann"_s, u"1"_s}});
    EXPECT_THROW(s.saveFile(dir.filePath(u"missing/sm.dat"_s)), PhoneBookError);
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write into a read-only folder";
    PhoneBooks books;
    books.PhoneBookSM = s;
    writeFile(dir.filePath(u"sm.dat"_s), "old");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_THROW(books.SavePhoneBooks(dir.path()), PhoneBookError);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readAll(dir.filePath(u"sm.dat"_s)), "old");
}

TEST(PhoneBookFileTest, NoFixedCapacity) {
    PhoneBookStore s;
    for (int i = 0; i < 1000; ++i)
        s.append(PhoneBookEntry::fromUser(u"n"_s, QString::number(i)));
    QTemporaryDir dir;
    s.saveFile(dir.filePath(u"big.dat"_s));
    EXPECT_EQ(readAll(dir.filePath(u"big.dat"_s)).size(), 303000);
    EXPECT_EQ(PhoneBookStore::loadFile(dir.filePath(u"big.dat"_s)), s);
}

TEST(PhoneBookStoreTest, RemoveRowsUsesIndexesBeforeRemoval) {
    PhoneBookStore s = storeOf(
        {{u"a"_s, u"0"_s}, {u"b"_s, u"1"_s}, {u"c"_s, u"2"_s}, {u"d"_s, u"3"_s}, {u"e"_s, u"4"_s}});
    EXPECT_THROW(s.removeRows({1, 5}), PhoneBookError);
    EXPECT_EQ(s.count(), 5);
    s.removeRows({4, 1, 3});
    EXPECT_EQ(names(s), (QStringList{u"a:0"_s, u"c:2"_s}));
}

struct SortCase {
    const char* label;
    QStringList names;  // in file order; each "name:number"
    QStringList sorted;
};

class SortTest : public testing::TestWithParam<SortCase> {};

TEST_P(SortTest, SortsByLocaleKeepingEqualNamesInOrder) {
    PhoneBookStore s;
    for (const QString& n : GetParam().names) {
        s.append(PhoneBookEntry::fromUser(n.section(u':', 0, 0), n.section(u':', 1)));
    }
    SortPhoneBook(s, kEnglish);
    EXPECT_EQ(names(s), GetParam().sorted);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SortTest,
    testing::Values(SortCase{"ByName", {u"b:1"_s, u"a:2"_s}, {u"a:2"_s, u"b:1"_s}},
                    SortCase{
                        "LetterCaseByLocaleNotBytes", {u"B:1"_s, u"a:2"_s}, {u"a:2"_s, u"B:1"_s}},
                    SortCase{"Cyrillic",
                             {u"Яна:1"_s, u"Борис:2"_s, u"Анна:3"_s},
                             {u"Анна:3"_s, u"Борис:2"_s, u"Яна:1"_s}},
                    SortCase{"EqualNamesKeepOrder",
                             {u"x:1"_s, u"a:2"_s, u"x:3"_s, u"a:4"_s, u"x:5"_s},
                             {u"a:2"_s, u"a:4"_s, u"x:1"_s, u"x:3"_s, u"x:5"_s}}),
    test::ByLabel());

struct FindCase {
    const char* label;
    PhoneBookStore sm, me, ld;
    QString number;
    QString found;
};

class FindNameTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindNameTest, FindsFirstMatchSimFirst) {
    PhoneBooks books;
    books.PhoneBookSM = GetParam().sm;
    books.PhoneBookME = GetParam().me;
    books.PhoneBookLD = GetParam().ld;
    EXPECT_EQ(books.FindNameByNumber(GetParam().number), GetParam().found);
}

const QString kIntl = u"+12345678901"_s;

INSTANTIATE_TEST_SUITE_P(
    Numbers, FindNameTest,
    testing::Values(
        FindCase{"Exact", storeOf({{u"Анна"_s, u"555"_s}}), {}, {}, u"555"_s, u"Анна"_s},
        FindCase{"OneShorter", storeOf({{u"A"_s, u"12345678901"_s}}), {}, {}, kIntl, u"A"_s},
        FindCase{"TwoShorter", {}, storeOf({{u"B"_s, u"2345678901"_s}}), {}, kIntl, u"B"_s},
        FindCase{
            "FourShorterAnywhereInside", storeOf({{u"C"_s, u"23456789"_s}}), {}, {}, kIntl, u"C"_s},
        FindCase{"FiveShorterNotFound", storeOf({{u"D"_s, u"5678901"_s}}), {}, {}, kIntl, {}},
        FindCase{"StoredLongerNotFound", storeOf({{u"E"_s, kIntl}}), {}, {}, u"12345678901"_s, {}},
        FindCase{"NationalTrunkFormNotFound",
                 storeOf({{u"F"_s, u"012345678901"_s}}),
                 {},
                 {},
                 u"+4912345678901"_s,
                 {}},
        FindCase{"SimBeforePhone",
                 storeOf({{u"Sim"_s, u"555"_s}}),
                 storeOf({{u"Phone"_s, u"555"_s}}),
                 {},
                 u"555"_s,
                 u"Sim"_s},
        FindCase{"FirstEntryWinsOverLaterExact",
                 storeOf({{u"Near"_s, u"2345678901"_s}, {u"Exact"_s, kIntl}}),
                 {},
                 {},
                 kIntl,
                 u"Near"_s},
        FindCase{"LdNotSearched", {}, {}, storeOf({{u"L"_s, u"555"_s}}), u"555"_s, {}},
        FindCase{"EmptyEntryNumberNeverContained", storeOf({{u"G"_s, {}}}), {}, {}, u"555"_s, {}},
        FindCase{"EmptyQueryFindsNobody", storeOf({{u"G"_s, {}}}), {}, {}, {}, {}},
        FindCase{"EmptyStores", {}, {}, {}, u"555"_s, {}}),
    test::ByLabel());

TEST(PhoneBooksTest, LoadSortsAndKeepsStoresWithoutFileOrOnError) {
    QTemporaryDir dir;
    PhoneBooks saved;
    saved.PhoneBookSM = storeOf({{u"b"_s, u"1"_s}, {u"a"_s, u"2"_s}});
    saved.SavePhoneBooks(dir.filePath(u"new"_s));  // the folder is created
    QFile::remove(dir.filePath(u"new/me.dat"_s));

    PhoneBooks books;
    books.PhoneBookME = storeOf({{u"kept"_s, u"9"_s}});
    books.LoadPhoneBooks(dir.filePath(u"new"_s), kEnglish);
    EXPECT_EQ(names(books.PhoneBookSM), (QStringList{u"a:2"_s, u"b:1"_s}));
    EXPECT_EQ(names(books.PhoneBookME), QStringList{u"kept:9"_s});
    EXPECT_TRUE(books.PhoneBookLD.isEmpty());

    // A file that cannot be read changes no store, not even those read before it.
    const PhoneBooks before = books;
    writeFile(dir.filePath(u"new/sm.dat"_s), test::recordBytes("7", 129, "z"));
    QFile::remove(dir.filePath(u"new/ld.dat"_s));
    QDir(dir.filePath(u"new"_s)).mkdir(u"ld.dat"_s);
    EXPECT_THROW(books.LoadPhoneBooks(dir.filePath(u"new"_s), kEnglish), PhoneBookError);
    EXPECT_EQ(books.PhoneBookSM, before.PhoneBookSM);
}

TEST(DataLocationTest, OverrideThenWritableProgramFolderThenUserFolder) {
    QTemporaryDir program;
    EXPECT_EQ(choosePhoneBookDirectory(u"/data"_s, program.path(), u"/user"_s), u"/data"_s);
    EXPECT_EQ(choosePhoneBookDirectory({}, program.path(), u"/user"_s), program.path());
    EXPECT_EQ(choosePhoneBookDirectory({}, program.filePath(u"gone"_s), u"/user"_s), u"/user"_s);
    EXPECT_EQ(QDir(program.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

}  // namespace
}  // namespace pelmar
