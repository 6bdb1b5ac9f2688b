// SPDX-License-Identifier: GPL-3.0-or-later
// A converter killed in the middle of an export leaves its hidden temporary
// file beside the output; the next batch into that folder clears it, and
// only it: files of exporters still running and other hidden files stay.
#include "GraphicsTestSupport.h"

#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform::testing;
using namespace testsupport;

namespace
{

constexpr OSType kJpeg = FOUR_CHAR_CODE("JPEG"), kPng = FOUR_CHAR_CODE("PNGf");

std::vector<QByteArray> NamesStartingWith(const QByteArray& folder, const QByteArray& prefix)
{
    std::vector<QByteArray> names;
    for (const QByteArray& name : ListFolder(folder)) {
        if (name.startsWith(prefix))
            names.push_back(name);
    }
    return names;
}

TEST(Leftovers, AKilledExportsTemporaryFileGoesWithTheNextBatchIntoItsFolder)
{
    TempFolder folder;
    const QByteArray destination = folder / "dest";
    ASSERT_TRUE(MakeFolder(destination));
    const QByteArray big = folder / "big.tif";
    ASSERT_EQ(WriteTestPicture(big, "tif", 3000, 2000), noErr);

    // Killed once its temporary file is there, long before a picture of
    // this size is encoded.
    const pid_t child = StartChildJob({big, kPng, 0, false, destination + "/big.png"});
    ASSERT_GT(child, 0);
    const QByteArray childPrefix = ".tessaly-" + QByteArray::number(child) + "-";
    bool started = false, exited = false;
    for (int waited = 0; waited < 60000 && !started && !exited; ++waited) {
        started = !NamesStartingWith(destination, childPrefix).empty();
        exited = !started && ::waitpid(child, nullptr, WNOHANG) == child;
        if (!started && !exited)
            ::usleep(1000);
    }
    if (!exited) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    ASSERT_TRUE(started) << "the child never began writing";
    ASSERT_EQ(NamesStartingWith(destination, childPrefix).size(), 1u);
    EXPECT_FALSE(Exists(destination + "/big.png"));

    // A running exporter's file (this test's parent process stands for
    // one) and a hidden file of another kind.
    const QByteArray running = ".tessaly-" + QByteArray::number(::getppid()) + "-abcdef";
    ASSERT_TRUE(WriteFile(destination + "/" + running, "still being written"));
    ASSERT_TRUE(WriteFile(destination + "/.tessaly-notes", "not a temporary export"));

    const QByteArray small = folder / "small.png";
    ASSERT_EQ(WriteTestPicture(small, "png", 64, 48), noErr);
    ASSERT_EQ(platform::ExportPicture(small, destination + "/small.jpg", {kJpeg, codecHighQuality}),
              noErr);
    EXPECT_EQ(ListFolder(destination),
              (std::vector<QByteArray>{running, ".tessaly-notes", "small.jpg"}));
    EXPECT_EQ(ReadFile(destination + "/" + running), "still being written");
}

} // namespace
