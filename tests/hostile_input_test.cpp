// Files of the wrong kind, half-written files and odd paths, each rendered
// with a few ticks framed and full-window: the exact messages, the exit
// status, and no picture when nothing loaded.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "process_runner.h"
#include "test_support.h"

namespace {

struct HostileFixture : ::testing::Test {
    TempDir dir;

    /// Renders `config` (a path relative to the folder) both ways and checks
    /// that both end with `status` and exactly the messages `err`.
    void ExpectRender(const std::string& config, int status, const std::string& err,
                      const std::string& extra = "") {
        for (const char* layout : {"", "--framed"}) {
            std::filesystem::remove(dir.path() + "/out.png");
            const ProcessResult result = RunOrbivex(
                std::string("--render out.png --ticks 5 ") + layout + " " + extra + " " + ShellQuote(config),
                dir.path(), dir.path());
            EXPECT_EQ(result.status, status) << config << " " << layout << "\n" << result.err;
            EXPECT_EQ(result.err, err) << config << " " << layout;
            EXPECT_EQ(std::filesystem::exists(dir.path() + "/out.png"), status == 0) << config;
        }
    }
    /// What the renderer says when the 5 ticks asked for end early.
    static std::string RanOut(int ticks, int trail, int rows) {
        const std::string where = rows > 0 ? "at row " + std::to_string(ticks) : "with no row to show";
        return "The data ran out after " + std::to_string(ticks) + " of 5 ticks, " + where +
               ": the trail needs " + std::to_string(trail) + " rows after the row shown, and the data has " +
               std::to_string(rows) + " rows\n";
    }
    std::string Full(const std::string& name) const { return dir.path() + "/" + name; }
    std::string ConfigError(int code, const std::string& name) const {
        return "Error " + std::to_string(code) + " in Config File " + Full(name) + "\n";
    }
    void WriteSimulation(const std::string& config, const std::string& data, int rows = 20, int bodies = 2,
                         const std::string& box = "-3 -3 3 3") {
        dir.write(data, DataText(rows, bodies));
        dir.write(config, ConfigText(data, rows, bodies, 1, 5, 0, box));
    }
};

TEST_F(HostileFixture, ConfigurationFilesOfTheWrongKind) {
    dir.write("empty.ovx", "");
    ExpectRender("empty.ovx", 1, ConfigError(-2, "empty.ovx"));
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += char((i * 7919) % 256 == '=' ? 0 : (i * 7919) % 256);
    dir.write("garbage.ovx", garbage);
    ExpectRender("garbage.ovx", 1, ConfigError(-2, "garbage.ovx"));
    std::filesystem::create_directory(Full("folder.ovx"));
    ExpectRender("folder.ovx", 1,
                 "Config File " + Full("folder.ovx") + " is not found\n" + ConfigError(-1, "folder.ovx"));
    std::string shifted = ConfigText("d.dat", 10, 1);
    shifted.replace(shifted.find("step"), 4, "st=ep");
    dir.write("shifted.ovx", shifted);
    ExpectRender("shifted.ovx", 1, ConfigError(-8, "shifted.ovx"));
}

TEST_F(HostileFixture, UnreadableConfiguration) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop the superuser";
    dir.write("locked.ovx", ConfigText("d.dat", 10, 1));
    ::chmod(Full("locked.ovx").c_str(), 0);
    ExpectRender("locked.ovx", 1,
                 "Config File " + Full("locked.ovx") + " is not found\n" + ConfigError(-1, "locked.ovx"));
}

TEST_F(HostileFixture, BodyCounts) {
    dir.write("minus.ovx", ConfigText("d.dat", 10, -1));
    ExpectRender("minus.ovx", 1, ConfigError(-3, "minus.ovx"));
    WriteSimulation("thirty.ovx", "thirty.dat", 20, 30);
    ExpectRender("thirty.ovx", 0, "");
    for (const int bodies : {31, 2147483647}) {
        std::string text = ConfigText("d.dat", 10, 1);
        text.replace(text.find("planets = 1"), 11, "planets = " + std::to_string(bodies));
        dir.write("many.ovx", text);
        ExpectRender("many.ovx", 1, "Too many Planets !\n" + ConfigError(-3, "many.ovx"));
    }
}

TEST_F(HostileFixture, ImpossibleLineCountIsRefusedBeforeReading) {
    dir.write("huge.ovx", ConfigText("absent.dat", 2147483647, 30));
    ExpectRender("huge.ovx", 1, "Not enough memory for 2147483647 data lines of 61 values\n");
}

TEST_F(HostileFixture, ExtremeBoxes) {
    // A box that cannot be mapped is refused with why; a mirrored one is drawn.
    const struct {
        const char* box;
        const char* why;
    } cases[] = {
        {"nan nan nan nan", "The box nan nan nan nan cannot be shown: its ends are not all finite numbers"},
        {"-inf -inf inf inf",
         "The box -inf -inf inf inf cannot be shown: its ends are not all finite numbers"},
        {"-1e308 -1e308 1e308 1e308", ""},
        {"2 2 2 2", "The box 2 2 2 2 cannot be shown: its x axis has no width"},
        {"3 3 -3 -3", ""},
    };
    for (const auto& c : cases) {
        WriteSimulation("box.ovx", "box.dat", 20, 2, c.box);
        if (*c.why)
            ExpectRender("box.ovx", 1,
                         std::string(c.why) + "\nError -6 in Config File " + dir.path() + "/box.ovx\n");
        else
            ExpectRender("box.ovx", 0, "");
    }
}

TEST_F(HostileFixture, DataFileNames) {
    const std::string deep = "sub/" + std::string(120, 'a') + "/" + std::string(120, 'b') + "/data.dat";
    std::filesystem::create_directories(Full(deep).substr(0, Full(deep).rfind('/')));
    WriteSimulation("deep.ovx", deep);
    ExpectRender("deep.ovx", 0, "");
    const std::string tooLong(300, 'x');
    dir.write("long.ovx", ConfigText(tooLong, 10, 1));
    ExpectRender("long.ovx", 1, "DATA File " + tooLong + " is not found\n");
    dir.write("spaced.ovx", ConfigText("my orbit.dat", 10, 1));
    ExpectRender("spaced.ovx", 1, "DATA File my is not found\n");
}

TEST_F(HostileFixture, OddValuesInTheData) {
    dir.write("odd.dat", "0 nan inf 1e308 1e-320\n1 -inf nan -1e308 -1e-320\n2 1e300 -1e300 0 0\n");
    dir.write("odd.ovx", ConfigText("odd.dat", 3, 2, 1, 1));
    ExpectRender("odd.ovx", 0, RanOut(1, 1, 3));
    std::string crlf;
    for (char c : DataText(20, 2)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    dir.write("crlf.dat", crlf);
    dir.write("crlf.ovx", ConfigText("crlf.dat", 20, 2));
    ExpectRender("crlf.ovx", 0, "");
}

TEST_F(HostileFixture, ShortAndBrokenData) {
    dir.write("cut.dat", DataText(12, 2) + "12 1.5 2.5");
    dir.write("cut.ovx", ConfigText("cut.dat", 20, 2));
    const std::string question = "Data File error at line 12\nSet number of data equal to 12?\n";
    ExpectRender("cut.ovx", 1, question);
    ExpectRender("cut.ovx", 0, question + RanOut(1, 10, 12), "--yes");
    std::string text = DataText(20, 2);
    text.replace(text.find("7.2"), 3, "seven");
    dir.write("text.dat", text);
    dir.write("text.ovx", ConfigText("text.dat", 20, 2));
    ExpectRender("text.ovx", 1, "Data File error at line 7\nSet number of data equal to 7?\n");
    dir.write("zero.dat", "");
    dir.write("zero.ovx", ConfigText("zero.dat", 20, 2));
    const std::string none = "Data File error at line 0\nSet number of data equal to 0?\n";
    ExpectRender("zero.ovx", 1, none);
    ExpectRender("zero.ovx", 0, none + RanOut(1, 10, 0), "--yes");
}

TEST_F(HostileFixture, FifoAndDeviceAsDataDoNotHang) {
    ASSERT_EQ(::mkfifo(Full("pipe.dat").c_str(), 0600), 0);
    dir.write("pipe.ovx", ConfigText("pipe.dat", 10, 1));
    ExpectRender("pipe.ovx", 1, "DATA File pipe.dat is not found\n");
    dir.write("device.ovx", ConfigText("/dev/zero", 10, 1));
    ExpectRender("device.ovx", 1, "DATA File /dev/zero is not found\n");
    // Opened themselves, they are there but are no file.
    const std::string notAFile = " is not a regular file: a table or a configuration is read from a file\n";
    ExpectRender("pipe.dat", 1, Full("pipe.dat") + notAFile);
    ExpectRender("/dev/zero", 1, "/dev/zero" + notAFile);
}

TEST_F(HostileFixture, OddCharactersInPaths) {
    const std::string names[] = {"with space", "semi;colon",  "$(touch pwned)",
                                 "quote'\"",   "caf\xc3\xa9", std::string(200, 'p')};
    for (const std::string& name : names) {
        std::filesystem::create_directory(Full(name));
        const std::string data = name.find(' ') == std::string::npos ? name + ".dat" : "plain.dat";
        dir.write(name + "/" + data, DataText(20, 2));
        dir.write(name + "/" + name.substr(0, 50) + ".ovx", ConfigText(data, 20, 2));
        ExpectRender(name + "/" + name.substr(0, 50) + ".ovx", 0, "");
    }
    EXPECT_FALSE(std::filesystem::exists(Full("pwned")));
}

}  // namespace
