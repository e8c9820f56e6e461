#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <jerror.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "imaging/ImageWriters.h"
#include "tests/imaging/ImagingTestSupport.h"

namespace pagrovix {
namespace {

using test::Bytes;
using test::ErrorOf;

struct Writer {
    const char* name;
    void (*write)(const Bitmap24& bitmap, const std::string& path);
};

const Writer kWriters[] = {
    {"Bmp", [](const Bitmap24& bitmap, const std::string& path) { WriteBmpFile(bitmap, path); }},
    {"Jpeg",
     [](const Bitmap24& bitmap, const std::string& path) { WriteJpegFile(bitmap, path, 80); }},
    {"Png", [](const Bitmap24& bitmap, const std::string& path) { WritePngFile(bitmap, path, 9); }},
};

const Bytes kPrevious(5000, 'p');

class EveryWriter : public testing::TestWithParam<Writer> {
protected:
    void Write(const Bitmap24& bitmap, const std::string& path) { GetParam().write(bitmap, path); }
    std::string ErrorWriting(const Bitmap24& bitmap, const std::string& path) {
        return ErrorOf([&] { Write(bitmap, path); });
    }
    // What the writer makes of the bitmap at a fresh path.
    Bytes FreshOutput(const Bitmap24& bitmap) {
        test::ScratchFolder other;
        Write(bitmap, other.File("fresh"));
        return test::ReadBytes(other.File("fresh"));
    }
    mode_t ModeOf(const std::string& path) {
        struct stat status {};
        lstat(path.c_str(), &status);
        return status.st_mode;
    }

    test::ScratchFolder folder_;
    const Bitmap24 bitmap_ = test::NoiseBitmap(100, 100);
};

TEST_P(EveryWriter, NamesTheAbsolutePathWhenTheFolderIsMissing) {
    const std::string message = test::ErrorInChild([&] {
        if (chdir(folder_.Path().c_str()) == 0) {
            Write(bitmap_, "missing/../missing/shot");
        }
    });
    EXPECT_EQ(message, "Cannot create file \"" + folder_.Path() +
                           "/missing/shot\". No such file or directory");
    EXPECT_TRUE(folder_.Names().empty());
}

TEST_P(EveryWriter, RefusesADirectoryAtThePath) {
    ASSERT_EQ(mkdir(folder_.File("shot").c_str(), 0755), 0);
    EXPECT_EQ(ErrorWriting(bitmap_, folder_.File("shot")),
              "Cannot create file \"" + folder_.File("shot") + "\". Is a directory");
    EXPECT_TRUE(S_ISDIR(ModeOf(folder_.File("shot"))));
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"shot"});
}

// A file nobody may write is kept even when root saves over it.
TEST_P(EveryWriter, KeepsAReadOnlyFile) {
    test::WriteBytes(folder_.File("shot"), kPrevious);
    ASSERT_EQ(chmod(folder_.File("shot").c_str(), 0444), 0);
    EXPECT_EQ(ErrorWriting(bitmap_, folder_.File("shot")),
              "Cannot create file \"" + folder_.File("shot") + "\". Permission denied");
    EXPECT_EQ(test::ReadBytes(folder_.File("shot")), kPrevious);
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"shot"});
}

// Root passes every permission check, so these run as an unprivileged user in a child.
std::string ErrorAsNobody(const std::function<void()>& body) {
    return test::ErrorInChild([&] {
        if (getuid() != 0 ||
            (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0)) {
            body();
        }
    });
}

TEST_P(EveryWriter, FailsInAFolderWithoutWritePermission) {
    const std::string locked = folder_.File("locked");
    ASSERT_EQ(chmod(folder_.Path().c_str(), 0755), 0);
    ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);
    EXPECT_EQ(ErrorAsNobody([&] { Write(bitmap_, locked + "/shot"); }),
              "Cannot create file \"" + locked + "/shot\". Permission denied");
    EXPECT_TRUE(std::filesystem::is_empty(locked));
}

// The folder would let the new file be renamed over it, but the old file is not the user's to
// change.
TEST_P(EveryWriter, KeepsAFileTheUserMayNotWriteInAFolderOpenToAll) {
    const std::string shared = folder_.File("shared");
    ASSERT_EQ(chmod(folder_.Path().c_str(), 0755), 0);
    ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(chmod(shared.c_str(), 0777), 0);
    test::WriteBytes(shared + "/shot", kPrevious);
    ASSERT_EQ(chmod((shared + "/shot").c_str(), 0644), 0);
    EXPECT_EQ(ErrorAsNobody([&] { Write(bitmap_, shared + "/shot"); }),
              "Cannot create file \"" + shared + "/shot\". Permission denied");
    EXPECT_EQ(test::ReadBytes(shared + "/shot"), kPrevious);
    EXPECT_EQ(std::filesystem::directory_iterator(shared)->path().filename(), "shot");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(shared),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_P(EveryWriter, AShortWriteFailsAndKeepsThePreviousFile) {
    test::WriteBytes(folder_.File("shot"), kPrevious);
    const std::string message = test::ErrorInChild([&] {
        // Past this size the system refuses to store more: the disk-full case, made small.
        const rlimit limit = {4096, 4096};
        signal(SIGXFSZ, SIG_IGN);
        if (setrlimit(RLIMIT_FSIZE, &limit) == 0) {
            Write(bitmap_, folder_.File("shot"));
        }
    });
    EXPECT_EQ(message, "Stream write error");
    EXPECT_EQ(test::ReadBytes(folder_.File("shot")), kPrevious);
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"shot"});
}

// Devices of the test's own: were the writer to replace them, the system's would be lost.
TEST_P(EveryWriter, WritesIntoADeviceWithoutReplacingIt) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "making device files needs root";
    }
    ASSERT_EQ(mknod(folder_.File("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(mknod(folder_.File("full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    EXPECT_EQ(ErrorWriting(bitmap_, folder_.File("null")), "no error");
    EXPECT_EQ(ErrorWriting(bitmap_, folder_.File("full")), "Stream write error");
    EXPECT_TRUE(S_ISCHR(ModeOf(folder_.File("null"))));
    EXPECT_TRUE(S_ISCHR(ModeOf(folder_.File("full"))));
    EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"full", "null"}));
}

TEST_P(EveryWriter, RefusesANamedPipeNoProgramReadsInsteadOfWaitingForOne) {
    ASSERT_EQ(mkfifo(folder_.File("pipe").c_str(), 0666), 0);
    EXPECT_EQ(ErrorWriting(bitmap_, folder_.File("pipe")),
              "Cannot create file \"" + folder_.File("pipe") +
                  "\". No program reads from the named pipe.");
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"pipe"});
}

TEST_P(EveryWriter, ReplacesALongerFileEntirely) {
    test::WriteBytes(folder_.File("shot"), Bytes(200000, 'p'));
    Write(bitmap_, folder_.File("shot"));
    EXPECT_EQ(test::ReadBytes(folder_.File("shot")), FreshOutput(bitmap_));
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"shot"});
}

TEST_P(EveryWriter, KeepsTheModeAndOwnerOfTheFileItReplaces) {
    test::WriteBytes(folder_.File("shot"), kPrevious);
    ASSERT_EQ(chmod(folder_.File("shot").c_str(), 0604), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(folder_.File("shot").c_str(), 65534, 65534), 0);
    }
    Write(bitmap_, folder_.File("shot"));
    struct stat status {};
    ASSERT_EQ(stat(folder_.File("shot").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0604u);
    if (root) {
        EXPECT_EQ(status.st_uid, 65534u);
        EXPECT_EQ(status.st_gid, 65534u);
    }
    EXPECT_EQ(test::ReadBytes(folder_.File("shot")), FreshOutput(bitmap_));
}

TEST_P(EveryWriter, GivesANewFileTheModeTheUmaskAllows) {
    const mode_t previous = umask(027);
    Write(bitmap_, folder_.File("shot"));
    umask(previous);
    EXPECT_EQ(ModeOf(folder_.File("shot")) & 07777, 0640u);
}

TEST_P(EveryWriter, ReplacesTheFileALinkPointsToAndKeepsTheLink) {
    ASSERT_EQ(mkdir(folder_.File("real").c_str(), 0755), 0);
    test::WriteBytes(folder_.File("real/old"), kPrevious);
    ASSERT_EQ(symlink("real/old", folder_.File("old-link").c_str()), 0);
    ASSERT_EQ(symlink("old-link", folder_.File("link-to-link").c_str()), 0);
    ASSERT_EQ(symlink(folder_.File("real/new").c_str(), folder_.File("new-link").c_str()), 0);

    Write(bitmap_, folder_.File("link-to-link"));
    Write(bitmap_, folder_.File("new-link"));

    const Bytes expected = FreshOutput(bitmap_);
    EXPECT_TRUE(S_ISLNK(ModeOf(folder_.File("link-to-link"))));
    EXPECT_TRUE(S_ISLNK(ModeOf(folder_.File("old-link"))));
    EXPECT_TRUE(S_ISLNK(ModeOf(folder_.File("new-link"))));
    EXPECT_EQ(test::ReadBytes(folder_.File("real/old")), expected);
    EXPECT_EQ(test::ReadBytes(folder_.File("real/new")), expected);
    EXPECT_EQ(folder_.Names(),
              (std::vector<std::string>{"link-to-link", "new-link", "old-link", "real"}));
}

TEST_P(EveryWriter, RefusesAnEmptyPicture) {
    EXPECT_EQ(ErrorWriting(Bitmap24(), folder_.File("shot")), "Cannot save an empty picture");
    EXPECT_TRUE(folder_.Names().empty());
}

INSTANTIATE_TEST_SUITE_P(Writers, EveryWriter, testing::ValuesIn(kWriters),
                         [](const auto& info) { return std::string(info.param.name); });

const std::string kTooBig = "JPEG error #" + std::to_string(JERR_IMAGE_TOO_BIG);

TEST(JpegLimits, APictureOverTheEncoderLimitLeavesNoFileAndKeepsThePreviousOne) {
    test::ScratchFolder folder;
    test::WriteBytes(folder.File("wide.jpg"), kPrevious);
    const Bitmap24 wide = test::NoiseBitmap(65501, 1);
    const Bitmap24 tall = test::NoiseBitmap(1, 65501);
    EXPECT_EQ(ErrorOf([&] { WriteJpegFile(wide, folder.File("wide.jpg"), 80); }), kTooBig);
    EXPECT_EQ(ErrorOf([&] { WriteJpegFile(tall, folder.File("tall.jpg"), 80); }), kTooBig);
    EXPECT_EQ(test::ReadBytes(folder.File("wide.jpg")), kPrevious);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"wide.jpg"});
    EXPECT_EQ(
        ErrorOf([&] { WriteJpegFile(test::NoiseBitmap(65500, 1), folder.File("ok.jpg"), 80); }),
        "no error");
}

TEST(JpegLimits, TheFileIsCheckedBeforeEncoding) {
    test::ScratchFolder folder;
    const Bitmap24 wide = test::NoiseBitmap(65501, 1);
    EXPECT_EQ(ErrorOf([&] { WriteJpegFile(wide, folder.File("missing/wide.jpg"), 80); }),
              "Cannot create file \"" + folder.File("missing/wide.jpg") +
                  "\". No such file or directory");
}

}  // namespace
}  // namespace pagrovix
