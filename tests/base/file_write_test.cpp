#include "base/file_write.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <optional>

#include "base/file_lock.h"
#include "support/table.h"

namespace pelmar {
namespace {

// A file size limit for this process while it lives, as a full disk would stop a write after
// the file was opened. SIGXFSZ is ignored meanwhile, so the write fails with EFBIG instead.
class SizeLimit {
  public:
    explicit SizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limited{bytes, m_old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~SizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

  private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

enum class Op { Whole, Append };

struct WriteCase {
    const char* label;
    Op op;
    const char* before;  // the file's content before, nullptr for no file
    QByteArray bytes;
    rlim_t sizeLimit;    // while writing, 0 for none
    const char* after;   // the file's content after, nullptr for no file
    const char* reason;  // in the error, nullptr when the write succeeds
};

class FileWriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(FileWriteTest, WritesAllOrLeavesTheOldFile) {
    const WriteCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.txt"));
    if (c.before) {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write(c.before) >= 0);
    }
    std::optional<FileWriteError> error;
    {
        std::optional<SizeLimit> limit;
        if (c.sizeLimit > 0)
            limit.emplace(c.sizeLimit);
        try {
            c.op == Op::Whole ? writeWholeFile(path, c.bytes) : appendToFile(path, c.bytes);
        } catch (const FileWriteError& e) {
            error = e;
        }
    }
    ASSERT_EQ(error.has_value(), c.reason != nullptr) << (error ? error->what() : "no error");
    if (error) {
        EXPECT_EQ(error->reason(), QLatin1StringView(c.reason));
        EXPECT_TRUE(error->message().contains(path)) << error->what();
    }
    QFile after(path);
    ASSERT_EQ(after.exists(), c.after != nullptr);
    if (c.after) {
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), QByteArray(c.after));
    }
    // No temporary file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), c.after ? 1 : 0);
}

const QByteArray kBig(10000, 'x');

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, FileWriteTest, testing::Values(
    WriteCase{"WholeCreates",         Op::Whole,  nullptr, "new",   0,    "new",       nullptr},
    WriteCase{"WholeReplaces",        Op::Whole,  "old!",  "new",   0,    "new",       nullptr},
    WriteCase{"WholeEmpties",         Op::Whole,  "old!",  "",      0,    "",          nullptr},
    WriteCase{"AppendCreates",        Op::Append, nullptr, "a\r\n", 0,    "a\r\n",     nullptr},
    WriteCase{"AppendAdds",           Op::Append, "a\r\n", "b\r\n", 0,    "a\r\nb\r\n", nullptr},
    WriteCase{"WholeFailsKeepsOld",   Op::Whole,  "old!",  kBig,    4096, "old!",      "File too large"},
    WriteCase{"WholeFailsMakesNone",  Op::Whole,  nullptr, kBig,    4096, nullptr,     "File too large"},
    WriteCase{"AppendFailsKeepsOld",  Op::Append, "old!",  kBig,    4096, "old!",      "File too large"},
    WriteCase{"SmallWriteUnderLimit", Op::Whole,  "old!",  "new",   4096, "new",       nullptr}),
    test::ByLabel());
// clang-format on

TEST(FileWriteTest, ADeviceOrAFolderSaysWhy) {
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        try {
            appendToFile(QStringLiteral("/dev/full"), "line\n");
            ADD_FAILURE() << "a write to /dev/full succeeded";
        } catch (const FileWriteError& e) {
            EXPECT_EQ(e.reason(), QStringLiteral("No space left on device"));
        }
    }
    QTemporaryDir dir;
    EXPECT_THROW(writeWholeFile(dir.path(), "x"), FileWriteError);
    EXPECT_THROW(appendToFile(dir.path(), "x"), FileWriteError);
}

TEST(FileLockTest, ASecondHolderGivesUpNamingTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sm.dat"));
    std::optional<FileLock> first(std::in_place, path);
    try {
        FileLock second(path, std::chrono::milliseconds(50));
        ADD_FAILURE() << "the lock was taken twice";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("\"%1\" is being changed").arg(path)))
            << e.what();
    }
    first.reset();
    FileLock again(path, std::chrono::milliseconds(0));  // released: free at once
}

}  // namespace
}  // namespace pelmar
