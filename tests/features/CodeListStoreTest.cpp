// The code list kept between runs: restored at start-up and stored at the
// close, through a real settings folder.
#include "features/CodeListStore.h"

#include "core/list/ListModel.h"
#include "features/host/Procedure.h"
#include "support/ListItems.h"
#include "support/ScriptedHost.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray Separator = "||MySeparator23||";

class CodeListStoreTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    ScriptedHost host{script.services()};
    CodeListStore store;

    void restore()
    {
        Procedure p(script, procedureTag("Form1", "Form_Load"));
        store.restore(host, p);
    }
    QString storeFile() const
    {
        return script.settings.pathOf("Tarnwell", "Quorvane", "UPC Codes");
    }
};

TEST_F(CodeListStoreTest, TheStoredListComesBackAndIsStoredAgainByteForByte)
{
    const QByteArray stored = "801927504622" + Separator + "  a b  " + Separator + "caf\xC3\xA9" +
                              Separator + Separator + "012345678905";
    script.folder.write("config/Tarnwell/Quorvane/UPC Codes", stored);
    restore();
    EXPECT_EQ(itemsOf(host.codes),
              QStringList({"801927504622", "  a b  ", "café", "012345678905"}));
    EXPECT_EQ(host.codes.rowCount(), 4); // shown at once

    host.codes.RemoveItem(2);
    store.store(host);
    QFile file(storeFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              "801927504622" + Separator + "caf\xC3\xA9" + Separator + "012345678905");
    EXPECT_TRUE(script.errors().isEmpty());
}

// A stored list that is not UTF-8 (cut inside a character, say) was not
// written by a close: its codes come back as read, with one report, and the
// close keeps the file aside, unchanged, before it stores the list.
TEST_F(CodeListStoreTest, AStoredListThatIsNotUtf8IsReportedOnceAndKeptAside)
{
    const struct
    {
        QByteArray stored;
        QStringList items; // as the bytes decode
    } cases[] = {
        {"012345678905" + Separator + "caf\xC3", {"012345678905", QString::fromUtf8("caf\xC3")}},
        {"\xF0\x9F\x98", {QString::fromUtf8("\xF0\x9F\x98")}},
        {"a\xE2\x82" + Separator + "b", {QString::fromUtf8("a\xE2\x82"), "b"}},
        {"a\xFF" + Separator + "b", {QString::fromUtf8("a\xFF"), "b"}},
    };
    const QString section = script.configFolder() + "/Tarnwell/Quorvane";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.toHex().constData());
        script.folder.write("config/Tarnwell/Quorvane/UPC Codes", c.stored);
        restore();
        ASSERT_EQ(script.errors().size(), 1);
        EXPECT_TRUE(script.errors()[0].startsWith("The stored code list is not UTF-8 text\r\n"
                                                  "in Lintorak2021/08/31.Form1.Form_Load at line "
                                                  "146\r"))
            << qPrintable(script.errors()[0]);
        EXPECT_EQ(itemsOf(host.codes), c.items);

        store.store(host);
        EXPECT_EQ(script.errors().size(), 1);
        const QStringList kept = QDir(section).entryList({"UPC Codes.unread-*"}, QDir::Files);
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(TempFolder::read(section + '/' + kept[0]), c.stored);
        EXPECT_EQ(TempFolder::read(storeFile()), c.items.join(Separator).toUtf8());
        ASSERT_TRUE(QFile::remove(section + '/' + kept[0]));
        host.codes.Clear();
        script.log.clear();
    }
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__has_feature)
#define QUORVANE_ADDRESS_LIMIT_WORKS 1
#elif defined(__has_feature)
#if !__has_feature(address_sanitizer) && !defined(__SANITIZE_ADDRESS__)
#define QUORVANE_ADDRESS_LIMIT_WORKS 1
#endif
#endif

// A stored list larger than the memory left for it: one report, and the
// restoring ends there, rather than a report for every part of the text.
TEST_F(CodeListStoreTest, NoMemoryForTheStoredListGivesOneReport)
{
#ifndef QUORVANE_ADDRESS_LIMIT_WORKS
    GTEST_SKIP() << "an address-space limit cannot be set under the address sanitizer";
#else
    QByteArray stored;
    for (int i = 0; i < 1'500'000; ++i)
        stored += (i == 0 ? QByteArray() : Separator) + "012345678905";
    script.folder.write("config/Tarnwell/Quorvane/UPC Codes", stored);

    // The child reads the store within an address space that holds the bytes
    // but not the list made of them, and tells how many reports it saw.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        long pages = 0;
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld", &pages) != 1)
                pages = 0;
            std::fclose(statm);
        }
        const rlim_t room = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) +
                            rlim_t(stored.size()) + 16 * 1024 * 1024;
        const rlimit limit{room, room};
        ::setrlimit(RLIMIT_AS, &limit);
        restore();
        const bool oneAt152 = script.errors().size() == 1 &&
                              script.errors()[0].startsWith("Out of memory\r\n") &&
                              script.errors()[0].contains("Form_Load at line 152");
        ::_exit(oneAt152 ? 0 : 10 + int(std::min<qsizetype>(script.errors().size(), 100)));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "reports: " << WEXITSTATUS(status) - 10;
#endif
}

} // namespace
