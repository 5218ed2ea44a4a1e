#include "phonebook/phone_book_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "phonebook/data_location.h"
#include "phonebook/phone_book_files.h"
#include "phonebook/phone_books.h"
#include "phonebook/record_bytes.h"
#include "support/table.h"

using namespace Qt::StringLiterals;

namespace pelmar {
namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

QString path(const QTemporaryDir& dir, const char* name) {
    return dir.filePath(QString::fromUtf8(name));
}

QByteArray readAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Stores are written as "name=number;name=number" (UTF-8) in the tables.
PhoneBookStore storeOf(const char* rows) {
    PhoneBookStore s;
    for (const QString& e : QString::fromUtf8(rows).split(u';', Qt::SkipEmptyParts)) {
        s.append(PhoneBookEntry::fromUser(e.section(u'=', 0, 0), e.section(u'=', 1)));
    }
    return s;
}

QString specOf(const PhoneBookStore& s) {
    QStringList out;
    for (const PhoneBookRow& row : s.rows())
        out << row.name + u'=' + row.number;
    return out.join(u';');
}

struct SizeCase {
    const char* label;
    qsizetype size;
    qsizetype entries;
};

class FileSizeTest : public testing::TestWithParam<SizeCase> {};

TEST_P(FileSizeTest, TrailingPartialRecordIsRoundedToNearest) {
    QByteArray file;
    for (char c : {'a', 'b', 'c', 'd', 'e'})
        file += test::recordBytes("55", 129, QByteArray(60, c));
    const PhoneBookStore s = PhoneBookStore::fromFileBytes(file.first(GetParam().size));
    ASSERT_EQ(s.count(), GetParam().entries);
    if (s.count() == 4) {  // 152 bytes of the fourth record: 49 name bytes, then zeros
        EXPECT_EQ(s.at(3).Name(), QByteArray(49, 'd') + QByteArray(11, '\0'));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, FileSizeTest,
                         testing::Values(SizeCase{"Empty", 0, 0}, SizeCase{"Bytes151", 151, 0},
                                         SizeCase{"Bytes152", 152, 1}, SizeCase{"Bytes909", 909, 3},
                                         SizeCase{"Bytes1060", 1060, 3},
                                         SizeCase{"Bytes1061", 1061, 4}),
                         test::ByLabel());

TEST(PhoneBookFileTest, FileWithLeftoverBytesLoadsAndRoundTripsByteIdentical) {
    const PhoneBookStore s =
        PhoneBookStore::loadFile(QStringLiteral(PELMAR_TEST_DATA "/phonebook-sm.dat"));
    EXPECT_EQ(specOf(s), QStringLiteral("Анна=+380501234567;Bob=0123;Ёлка №5=555"));
    EXPECT_EQ(s.at(0).NumberType(), 145);
    QTemporaryDir dir;
    s.saveFile(path(dir, "a.dat"));
    PhoneBookStore::loadFile(path(dir, "a.dat")).saveFile(path(dir, "b.dat"));
    EXPECT_EQ(readAll(path(dir, "a.dat")).size(), 909);
    EXPECT_EQ(readAll(path(dir, "a.dat")), readAll(path(dir, "b.dat")));
}

TEST(PhoneBookFileTest, CorruptLengthsDoNotShiftTheNextRecord) {
    const PhoneBookStore s = PhoneBookStore::loadFile(
        QStringLiteral(PELMAR_TEST_DATA "/broken-phonebook-long-lengths.dat"));
    ASSERT_EQ(s.count(), 2);
    EXPECT_EQ(s.at(0).Number(), QByteArray(100, '1'));
    EXPECT_EQ(s.at(0).Name(), QByteArray(200, 'A'));
    EXPECT_EQ(s.at(1).Name(), "Next");
}

TEST(PhoneBookFileTest, MissingOrEmptyFileGivesEmptyStoreAndFolderIsAnError) {
    QTemporaryDir dir;
    EXPECT_TRUE(PhoneBookStore::loadFile(path(dir, "none.dat")).isEmpty());
    PhoneBookStore().saveFile(path(dir, "empty.dat"));
    EXPECT_TRUE(QFile::exists(path(dir, "empty.dat")));
    EXPECT_TRUE(PhoneBookStore::loadFile(path(dir, "empty.dat")).isEmpty());
    EXPECT_THROW(PhoneBookStore::loadFile(dir.path()), PhoneBookError);
}

TEST(PhoneBookFileTest, FailedSaveLeavesOldFile) {
    QTemporaryDir dir;
    PhoneBooks books;
    books.PhoneBookSM = storeOf("Ann=1");
    EXPECT_THROW(books.PhoneBookSM.saveFile(path(dir, "missing/sm.dat")), PhoneBookError);
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write into a read-only folder";
    QFile old(path(dir, "sm.dat"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_THROW(PhoneBookFiles(dir.path()).SavePhoneBooks(books), PhoneBookError);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readAll(path(dir, "sm.dat")), "old");
}

TEST(PhoneBookFileTest, NoFixedCapacity) {
    PhoneBookStore s;
    for (int i = 0; i < 1000; ++i)
        s.append(PhoneBookEntry::fromUser({}, QString::number(i)));
    QTemporaryDir dir;
    s.saveFile(path(dir, "big.dat"));
    EXPECT_EQ(readAll(path(dir, "big.dat")).size(), 303000);
    EXPECT_EQ(PhoneBookStore::loadFile(path(dir, "big.dat")), s);
}

TEST(PhoneBookStoreTest, RemoveRowsUsesIndexesBeforeRemoval) {
    PhoneBookStore s = storeOf("a=0;b=1;c=2;d=3;e=4");
    EXPECT_THROW(s.removeRows({1, 5}), PhoneBookError);
    EXPECT_EQ(s.count(), 5);
    s.removeRows({4, 1, 3});
    EXPECT_EQ(specOf(s), QStringLiteral("a=0;c=2"));
}

struct SortCase {
    const char* label;
    const char* store;
    const char* sorted;
};

class SortTest : public testing::TestWithParam<SortCase> {};

TEST_P(SortTest, SortsByLocaleKeepingEqualNamesInOrder) {
    PhoneBookStore s = storeOf(GetParam().store);
    SortPhoneBook(s, kEnglish);
    EXPECT_EQ(specOf(s), QString::fromUtf8(GetParam().sorted));
}

INSTANTIATE_TEST_SUITE_P(
    Names, SortTest,
    testing::Values(SortCase{"ByName", "b=1;a=2", "a=2;b=1"},
                    SortCase{"LetterCaseByLocaleNotBytes", "B=1;a=2", "a=2;B=1"},
                    SortCase{"Cyrillic", "Яна=1;Борис=2;Анна=3", "Анна=3;Борис=2;Яна=1"},
                    SortCase{"EqualNamesKeepOrder", "x=1;a=2;x=3;a=4;x=5", "a=2;a=4;x=1;x=3;x=5"}),
    test::ByLabel());

struct FindCase {
    const char* label;
    const char* sm;
    const char* me;
    const char* ld;
    const char* number;
    const char* found;
};

class FindNameTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindNameTest, FindsFirstMatchSimFirst) {
    const FindCase& c = GetParam();
    PhoneBooks books;
    books.PhoneBookSM = storeOf(c.sm);
    books.PhoneBookME = storeOf(c.me);
    books.PhoneBookLD = storeOf(c.ld);
    EXPECT_EQ(books.FindNameByNumber(QString::fromUtf8(c.number)), QString::fromUtf8(c.found));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Numbers, FindNameTest,
    testing::Values(
        FindCase{"Exact", "Анна=555", "", "", "555", "Анна"},
        FindCase{"OneShorter", "A=12345678901", "", "", "+12345678901", "A"},
        FindCase{"TwoShorter", "", "B=2345678901", "", "+12345678901", "B"},
        FindCase{"FourShorterAnywhereInside", "C=23456789", "", "", "+12345678901", "C"},
        FindCase{"FiveShorterNotFound", "D=5678901", "", "", "+12345678901", ""},
        FindCase{"StoredLongerNotFound", "E=+12345678901", "", "", "12345678901", ""},
        FindCase{"NationalTrunkFormNotFound", "F=012345678901", "", "", "+4912345678901", ""},
        FindCase{"SimBeforePhone", "Sim=555", "Phone=555", "", "555", "Sim"},
        FindCase{"FirstEntryWinsOverLaterExact", "Near=2345678901;Exact=+12345678901", "", "", "+12345678901", "Near"},
        FindCase{"LdNotSearched", "", "", "L=555", "555", ""},
        FindCase{"EmptyEntryNumberNeverContained", "G=", "", "", "555", ""},
        FindCase{"EmptyQueryFindsNobody", "G=", "", "", "", ""},
        FindCase{"EmptyStores", "", "", "", "555", ""}),
    test::ByLabel());
// clang-format on

TEST(PhoneBookFilesTest, LoadSortsAndAnnouncesAndAnUnreadableFileIsNeverWrittenBack) {
    QTemporaryDir dir;
    PhoneBookFiles files(path(dir, "new"));
    PhoneBooks saved;
    saved.PhoneBookSM = storeOf("b=1;a=2");
    files.SavePhoneBooks(saved);  // the folder is created
    QFile::remove(path(dir, "new/me.dat"));

    PhoneBooks books;
    QList<PhoneBookKind> announced;
    QObject::connect(&books, &PhoneBooks::changed, [&](PhoneBookKind k) { announced.append(k); });
    books.PhoneBookME = storeOf("kept=9");
    EXPECT_TRUE(files.LoadPhoneBooks(books, kEnglish).isEmpty());
    EXPECT_EQ(specOf(books.PhoneBookSM), QStringLiteral("a=2;b=1"));
    EXPECT_EQ(specOf(books.PhoneBookME), QStringLiteral("kept=9"));  // no file: left alone
    EXPECT_TRUE(announced.contains(PhoneBookKind::SM));

    // ld.dat unreadable: reported; the others still load, and its store is not saved over it.
    storeOf("z=7").saveFile(path(dir, "new/sm.dat"));
    QFile::remove(path(dir, "new/ld.dat"));
    QDir(path(dir, "new")).mkdir(QStringLiteral("ld.dat"));
    EXPECT_EQ(files.LoadPhoneBooks(books, kEnglish).size(), 1);
    EXPECT_EQ(specOf(books.PhoneBookSM), QStringLiteral("z=7"));
    EXPECT_TRUE(books.PhoneBookLD.isEmpty());
    files.SavePhoneBooks(books);
    EXPECT_TRUE(QFileInfo(path(dir, "new/ld.dat")).isDir());
}

TEST(DataLocationTest, OverrideThenWritableProgramFolderHoldingTheFilesThenUserFolder) {
    QTemporaryDir program;
    const QString user = QStringLiteral("/user");
    EXPECT_EQ(choosePhoneBookDirectory(QStringLiteral("/d"), program.path(), user), u"/d");
    // A writable program folder without phonebook files is an ordinary install.
    EXPECT_EQ(choosePhoneBookDirectory({}, program.path(), user), user);
    EXPECT_TRUE(
        QDir(program.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    storeOf("a=1").saveFile(path(program, "me.dat"));
    EXPECT_EQ(choosePhoneBookDirectory({}, program.path(), user), program.path());
    EXPECT_EQ(choosePhoneBookDirectory({}, path(program, "gone"), user), user);
}

struct MoveCase {
    const char* label;
    QStringList oldFiles;  // in <root>/Pelmar/Pelmar, each holding its own name
    QStringList newFiles;  // already in <root>/pelmar, each holding "new"
    QStringList left;      // what stays in the old folder; empty: it is gone with its parent
    const char* report;    // a part of the report; empty: no report
};

class MoveDataFolderTest : public testing::TestWithParam<MoveCase> {};

// The old per-user folder moves file by file; nothing in the new one is replaced.
TEST_P(MoveDataFolderTest, MovesWhatItMayAndSaysSo) {
    const MoveCase& c = GetParam();
    QTemporaryDir root;
    const QString oldDir = path(root, "Pelmar/Pelmar"), newDir = path(root, "pelmar");
    const auto write = [](const QString& file, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    };
    for (const QString& name : c.oldFiles)
        write(oldDir + u'/' + name, name.toUtf8());
    for (const QString& name : c.newFiles)
        write(newDir + u'/' + name, "new");
    const QString report = moveDataFolder(oldDir, newDir);
    EXPECT_EQ(report.isEmpty(), !*c.report) << report.toStdString();
    EXPECT_TRUE(report.contains(QString::fromUtf8(c.report))) << report.toStdString();
    for (const QString& name : c.oldFiles + c.newFiles) {
        QFile moved(newDir + u'/' + name);
        if (c.left.contains(name) && !c.newFiles.contains(name)) {
            EXPECT_FALSE(moved.exists()) << name.toStdString();
            continue;
        }
        ASSERT_TRUE(moved.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_EQ(moved.readAll(), c.newFiles.contains(name) ? "new" : name.toUtf8());
    }
    const QStringList left = QDir(oldDir).entryList(QDir::Files);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(QFileInfo::exists(path(root, "Pelmar")), !c.left.isEmpty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Folders, MoveDataFolderTest,
    testing::Values(
        MoveCase{"AllFilesAndTheEmptyFolders", {u"ld.dat"_s, u"me.dat"_s, u"sm.dat"_s}, {}, {}, "Moved ld.dat, me.dat, sm.dat from "},
        MoveCase{"NewFolderKeepsItsFiles", {u"ld.dat"_s, u"sm.dat"_s}, {u"sm.dat"_s}, {u"sm.dat"_s}, "Left sm.dat in "},
        MoveCase{"NothingThere", {}, {}, {}, ""}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
