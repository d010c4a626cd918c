// The fake drives for Wine without Wine: node names, the server's plug cycle and requests, the
// control language, and the shim's ioctl against a running server over the real socket.

#include <dlfcn.h>
#include <fcntl.h>
#include <scsi/sg.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "sim/wine/wine_device_control.h"
#include "sim/wine/wine_device_server.h"
#include "sim/wine/wine_device_socket.h"

namespace {
namespace fs = std::filesystem;

struct CNodePathCase {
    const char* path;
    bool valid;
    int drive;
    std::uint64_t generation;
};

class WineNodePath : public ::testing::TestWithParam<CNodePathCase> {};

TEST_P(WineNodePath, ParsesOnlyGenerationNamesOfTheFolder) {
    const CNodePathCase& c = GetParam();
    CWineNodeName name{-1, 0};
    ASSERT_EQ(ParseWineNodePath("/d", c.path, name), c.valid) << c.path;
    if (c.valid) {
        EXPECT_EQ(name.drive, c.drive);
        EXPECT_EQ(name.generation, c.generation);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, WineNodePath,
                         ::testing::Values(CNodePathCase{"/d/drive3.g7", true, 3, 7},
                                           CNodePathCase{"/d/drive0.g1 (deleted)", true, 0, 1},
                                           CNodePathCase{"/d/drive25.g12345", true, 25, 12345},
                                           CNodePathCase{"/d/drive26.g1", false, 0, 0},
                                           CNodePathCase{"/d/drive3", false, 0, 0},
                                           CNodePathCase{"/d/drive03.g1", false, 0, 0},
                                           CNodePathCase{"/d/drive3.g", false, 0, 0},
                                           CNodePathCase{"/d/drive3.g1x", false, 0, 0},
                                           CNodePathCase{"/d/drive-1.g1", false, 0, 0},
                                           CNodePathCase{"/e/drive3.g1", false, 0, 0},
                                           CNodePathCase{"/dev/null", false, 0, 0}));

class CTempFolders {
public:
    CTempFolders() {
        char pattern[] = "/tmp/zelvane-wine-XXXXXX";
        m_root = ::mkdtemp(pattern);
        fs::create_directories(Dev());
        fs::create_directories(DosDevices());
    }
    ~CTempFolders() { fs::remove_all(m_root); }
    std::string Dev() const { return m_root + "/dev"; }
    std::string DosDevices() const { return m_root + "/dosdevices"; }
    std::string Link(int drive) const {
        return DosDevices() + "/physicaldrive" + std::to_string(drive);
    }

private:
    std::string m_root;
};

ino_t InodeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

CWineSgRequest Request(int drive, std::uint64_t generation, Cdb12 cdb, std::uint8_t dataIn) {
    CWineSgRequest request;
    request.drive = drive;
    request.generation = generation;
    std::copy(cdb.begin(), cdb.end(), request.cdb);
    request.cdbLength = 12;
    request.dataIn = dataIn;
    request.senseRoom = 32;
    request.dataLength = kDeviceBlockBytes;
    request.timeoutMs = 5000000;
    return request;
}

Cdb12 InquiryCdb() {
    return Cdb12{SCSIOP_INQUIRY, 0, 0x80, 0, 0x88};
}

Cdb12 BlockCdb(std::uint8_t opcode, std::uint32_t block) {
    return Cdb12{
        opcode, 1, 0, 0, static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block),
        0,      0, 1};
}

class WineDeviceServer : public ::testing::Test {
protected:
    CWineSgAnswer Inquiry(std::uint64_t generation) {
        std::memset(m_data, 0, sizeof m_data);
        return m_server.Execute(Request(1, generation, InquiryCdb(), SCSI_IOCTL_DATA_IN), m_data);
    }
    void Plug(int drive, std::shared_ptr<CSimulatedDevice> device) {
        std::string error;
        ASSERT_TRUE(m_server.Plug(drive, std::move(device), error)) << error;
    }

    CTempFolders m_folders;
    CWineDeviceServer m_server{m_folders.Dev(), m_folders.DosDevices()};
    std::uint8_t m_data[kDeviceBlockBytes] = {};
};

TEST_F(WineDeviceServer, EveryPlugLinksANewNameOfTheSameNode) {
    Plug(1, CSimulatedDevice::UpdateMode());
    ino_t first = InodeOf(m_folders.Link(1));
    EXPECT_EQ(fs::read_symlink(m_folders.Link(1)), WineDriveNodePath(m_folders.Dev(), 1, 1));
    m_server.Unplug(1);
    EXPECT_FALSE(fs::exists(fs::symlink_status(m_folders.Link(1))));
    EXPECT_FALSE(fs::exists(WineDriveNodePath(m_folders.Dev(), 1, 1)));
    std::string error;
    ASSERT_TRUE(m_server.Replug(1, error));
    EXPECT_EQ(fs::read_symlink(m_folders.Link(1)), WineDriveNodePath(m_folders.Dev(), 1, 2));
    EXPECT_NE(first, 0u);
    EXPECT_EQ(InodeOf(m_folders.Link(1)), first);
}

TEST_F(WineDeviceServer, OnlyTheCurrentPlugsDescriptorsReachTheDevice) {
    Plug(1, CSimulatedDevice::UpdateMode());
    CWineSgAnswer answer = Inquiry(1);
    EXPECT_EQ(answer.succeeded, 1);
    EXPECT_EQ(std::memcmp(m_data + kInquiryVendorOffset, "Firmware Update", 15), 0);
    m_server.Unplug(1);
    EXPECT_EQ(Inquiry(1).succeeded, 0);
    std::string error;
    ASSERT_TRUE(m_server.Replug(1, error));
    EXPECT_EQ(Inquiry(1).succeeded, 0) << "a descriptor from before the pull";
    EXPECT_EQ(Inquiry(2).succeeded, 1);
    EXPECT_EQ(Inquiry(3).succeeded, 0) << "a generation not yet plugged";
}

TEST_F(WineDeviceServer, ARejectedCommandSucceedsWithStatusAndSense) {
    Plug(1, CSimulatedDevice::OrdinaryDisk());
    CWineSgAnswer answer = m_server.Execute(
        Request(1, 1, BlockCdb(SCSIOP_WRITE_BLOCK, 1600), SCSI_IOCTL_DATA_OUT), m_data);
    EXPECT_EQ(answer.succeeded, 1);
    EXPECT_EQ(answer.scsiStatus, 0x02);
    ASSERT_EQ(answer.senseLength, 18);
    EXPECT_EQ(answer.sense[0], 0x70);
    EXPECT_EQ(answer.sense[2], 0x05);
    EXPECT_EQ(m_server.RequestCount(1), 1u);
    EXPECT_EQ(m_server.LastDevice(1)->WriteCount(), 0u) << "the device counts what it accepts";
}

TEST_F(WineDeviceServer, ABlockWrittenIsReadBackAcrossAReplug) {
    Plug(1, CSimulatedDevice::UpdateMode());
    std::memset(m_data, 0x5A, sizeof m_data);
    ASSERT_EQ(
        m_server
            .Execute(Request(1, 1, BlockCdb(SCSIOP_WRITE_BLOCK, 1600), SCSI_IOCTL_DATA_OUT), m_data)
            .succeeded,
        1);
    std::string error;
    ASSERT_TRUE(m_server.Replug(1, error));
    std::memset(m_data, 0, sizeof m_data);
    ASSERT_EQ(
        m_server
            .Execute(Request(1, 2, BlockCdb(SCSIOP_READ_BLOCK, 1600), SCSI_IOCTL_DATA_IN), m_data)
            .succeeded,
        1);
    EXPECT_EQ(m_data[0], 0x5A);
    EXPECT_EQ(m_data[kDeviceBlockBytes - 1], 0x5A);
}

TEST_F(WineDeviceServer, ADeviceThatPullsItselfTakesItsLinkAlong) {
    Plug(1, CSimulatedDevice::UpdateMode());
    m_server.LastDevice(1)->UnplugAfterCommands(2);
    EXPECT_EQ(Inquiry(1).succeeded, 1);
    EXPECT_TRUE(fs::exists(fs::symlink_status(m_folders.Link(1))));
    EXPECT_EQ(Inquiry(1).succeeded, 1) << "the last command completes";
    EXPECT_FALSE(fs::exists(fs::symlink_status(m_folders.Link(1))));
    EXPECT_EQ(Inquiry(1).succeeded, 0);
    EXPECT_FALSE(m_server.IsPlugged(1));
}

TEST_F(WineDeviceServer, ADeviceThatPulledItselfStaysPluggedAfterAReplug) {
    Plug(1, CSimulatedDevice::UpdateMode());
    m_server.LastDevice(1)->UnplugAfterCommands(1);
    EXPECT_EQ(Inquiry(1).succeeded, 1);
    ASSERT_FALSE(m_server.IsPlugged(1));
    std::string error;
    ASSERT_TRUE(m_server.Replug(1, error)) << error;
    for (int command = 0; command < 3; ++command) {
        EXPECT_EQ(Inquiry(2).succeeded, 1) << "command " << command << " after the replug";
    }
    EXPECT_TRUE(m_server.IsPlugged(1));
    EXPECT_TRUE(fs::exists(fs::symlink_status(m_folders.Link(1))));
}

TEST_F(WineDeviceServer, MalformedRequestsFail) {
    Plug(1, CSimulatedDevice::UpdateMode());
    CWineSgRequest tooLong = Request(1, 1, InquiryCdb(), SCSI_IOCTL_DATA_IN);
    tooLong.dataLength = kWineMaxTransfer + 1;
    EXPECT_EQ(m_server.Execute(tooLong, m_data).succeeded, 0);
    EXPECT_EQ(
        m_server.Execute(Request(kWineDriveCount, 1, InquiryCdb(), SCSI_IOCTL_DATA_IN), m_data)
            .succeeded,
        0);
}

class WineDeviceControl : public WineDeviceServer {
protected:
    std::string Run(const std::string& line) { return RunWineControl(m_server, line); }
};

TEST_F(WineDeviceControl, PlugsArmsAndCounts) {
    EXPECT_EQ(Run("plug 2 disk"), "ok");
    EXPECT_EQ(Run("plug 0x1 update"), "ok");
    EXPECT_EQ(Run("fail-read-backs 1 any 1"), "ok");
    EXPECT_EQ(Run("corrupt-read-backs 1 1600 forever"), "ok");
    EXPECT_EQ(Run("pull-after 1 5"), "ok");
    EXPECT_EQ(Run("delay 1 0"), "ok");
    EXPECT_EQ(Inquiry(1).succeeded, 1);
    EXPECT_EQ(Run("stats 1"),
              "ok plugged=1 requests=1 inquiries=1 writes=0 reads=0 "
              "blocks-written=0 blocks-verified=0");
    EXPECT_EQ(Run("unplug 1"), "ok");
    EXPECT_EQ(Run("stats 1").rfind("ok plugged=0 ", 0), 0u);
    EXPECT_EQ(Run("stats 3"), "ok plugged=0 requests=0");
}

TEST_F(WineDeviceControl, DumpsTheMemoryWhereTheDatabaseGoes) {
    ASSERT_EQ(Run("plug 1 update"), "ok");
    std::memset(m_data, 0x33, sizeof m_data);
    ASSERT_EQ(
        m_server
            .Execute(Request(1, 1, BlockCdb(SCSIOP_WRITE_BLOCK, 1600), SCSI_IOCTL_DATA_OUT), m_data)
            .succeeded,
        1);
    std::string file = m_folders.Dev() + "/memory.bin";
    ASSERT_EQ(Run("dump 1 " + file + " 2048"), "ok");
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 2048u);
    EXPECT_EQ(bytes[0], 0x33);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1024]), 0xFF) << "a block never written";
    ASSERT_EQ(Run("dump 1 " + file + " 1024 1 1601"), "ok");
    EXPECT_EQ(fs::file_size(file), 1024u);
}

class WineDeviceControlErrors : public WineDeviceControl,
                                public ::testing::WithParamInterface<const char*> {};

TEST_P(WineDeviceControlErrors, AnswersAnError) {
    Run("plug 1 update");
    EXPECT_EQ(Run(GetParam()).rfind("error", 0), 0u) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Lines, WineDeviceControlErrors,
                         ::testing::Values("", "hello 1", "plug 1", "plug 26 update",
                                           "plug 1 floppy", "plug -1 update", "replug 5",
                                           "fail-read-backs 1 any 0", "fail-read-backs 1 x 1",
                                           "pull-after 1 0", "delay 1 soon", "dump 1",
                                           "dump 1 /nonexistent/folder/x 1024",
                                           "dump 1 f 1024 256 0", "stats 1 2", "unplug x"));

// The shim's ioctl, loaded as Wine's processes load it, against a server on the real socket.
class WineShim : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        m_listener = ListenOnWineSocket(m_folders.Dev(), error);
        ASSERT_GE(m_listener, 0) << error;
        m_serving = std::thread([this] { ServeWineDevice(m_listener, m_server); });
        // The shim reads the folder once, at its first SG_IO: the same for every test here.
        ::setenv(kWineDeviceDirVariable, m_folders.Dev().c_str(), 1);
        m_shim = ::dlopen(ZELVANE_WINE_SHIM, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_shim, nullptr) << ::dlerror();
        m_ioctl = reinterpret_cast<Ioctl>(::dlsym(m_shim, "ioctl"));
        ASSERT_NE(m_ioctl, nullptr);
    }
    void TearDown() override {
        std::string answer;
        SendWineControl(m_folders.Dev(), "quit", answer);
        if (m_serving.joinable()) {
            m_serving.join();
        }
        ::close(m_listener);
    }
    int SgIo(int fd, std::uint8_t* sense) {
        Cdb12 cdb = InquiryCdb();
        sg_io_hdr_t io{};
        io.interface_id = 'S';
        io.dxfer_direction = SG_DXFER_FROM_DEV;
        io.cmd_len = 12;
        io.cmdp = cdb.data();
        io.dxfer_len = sizeof m_data;
        io.dxferp = m_data;
        io.mx_sb_len = 32;
        io.sbp = sense;
        io.timeout = 5000;
        return m_ioctl(fd, SG_IO, &io);
    }
    using Ioctl = int (*)(int, unsigned long, ...);

    CTempFolders m_folders;
    CWineDeviceServer m_server{m_folders.Dev(), m_folders.DosDevices()};
    int m_listener = -1;
    std::thread m_serving;
    void* m_shim = nullptr;
    Ioctl m_ioctl = nullptr;
    std::uint8_t m_data[kDeviceBlockBytes] = {};
};

TEST_F(WineShim, ServesDescriptorsOfTheNodesAndFailsThemAfterAPull) {
    std::string answer;
    ASSERT_TRUE(SendWineControl(m_folders.Dev(), "plug 1 update", answer));
    ASSERT_EQ(answer, "ok");
    int fd = ::open(m_folders.Link(1).c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::uint8_t sense[32] = {};
    EXPECT_EQ(SgIo(fd, sense), 0);
    EXPECT_EQ(std::memcmp(m_data + kInquiryVendorOffset, "Firmware Update", 15), 0);
    ASSERT_TRUE(SendWineControl(m_folders.Dev(), "unplug 1", answer));
    EXPECT_EQ(SgIo(fd, sense), -1);
    EXPECT_EQ(errno, EIO);
    ::close(fd);
}

TEST_F(WineShim, PassesOtherDescriptorsToTheSystem) {
    int fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::uint8_t sense[32] = {};
    // /dev/null is no SCSI device: the system's answer, not the fake's.
    EXPECT_EQ(SgIo(fd, sense), -1);
    EXPECT_NE(errno, EIO);
    ::close(fd);
}
}  // namespace
