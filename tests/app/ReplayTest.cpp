// The replay reader on its own: what a good file yields, and how a broken or
// hostile one is refused (one line naming the file and line, and no events).

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "app/Replay.h"
#include "input/Gamepad.h"
#include "input/KeyTable.h"

namespace wobble {
namespace {

using test::CaptureStderr;
using test::ScratchDir;

struct Loaded {
    bool ok = false;
    std::string err;
    std::vector<InputEvent> events;  // every event, frame by frame
};

Loaded LoadReplay(const std::string& path) {
    Loaded r;
    Replay replay;
    r.err = CaptureStderr([&] { r.ok = test::Reported(replay.Load(path)); });
    // Junk first: the events taken must be all that is there.
    r.events.assign(3, InputEvent{EventType::Quit, 99, 7, 7});
    r.events.clear();
    replay.TakeEventsOf(LLONG_MAX, r.events);
    return r;
}

TEST(Replay, EventsComeOutFrameByFrameInFileOrder) {
    ScratchDir dir;
    const auto path = dir.Write("r.txt",
                                "# drive\n\n5 down Up\n2 mouse -3 4   # turn\n5 up Up\n"
                                "2 down 0x41\n7 close\r\n");
    Replay replay;
    ASSERT_TRUE(replay.Load(path));
    std::vector<InputEvent> first, later;
    replay.TakeEventsOf(4, first);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].type, EventType::MouseCounts);
    EXPECT_EQ(first[0].dx, -3);
    EXPECT_EQ(first[0].dy, 4);
    EXPECT_EQ(first[1].type, EventType::KeyDown);
    EXPECT_EQ(first[1].virtualKey, 0x41);
    replay.TakeEventsOf(LLONG_MAX, later);
    ASSERT_EQ(later.size(), 3u);
    EXPECT_EQ(later[0].type, EventType::KeyDown);
    EXPECT_EQ(later[0].virtualKey, vk::kUp);
    EXPECT_EQ(later[1].type, EventType::KeyUp);
    EXPECT_EQ(later[2].type, EventType::CloseRequest);
}

TEST(Replay, CursorAndButtonsComeOutAsTheWindowWouldSendThem) {
    ScratchDir dir;
    const Loaded r = LoadReplay(
        dir.Write("r.txt",
                  "3 cursor 400 -2\n3 button left down\n4 button middle up\n4 button right down\n"
                  "5 down Tab\n"));
    ASSERT_TRUE(r.ok) << r.err;
    ASSERT_EQ(r.events.size(), 5u);
    EXPECT_EQ(r.events[0].type, EventType::CursorMoved);
    EXPECT_EQ(r.events[0].x, 400);
    EXPECT_EQ(r.events[0].y, -2);
    const struct {
        EventType type;
        int button;
    } buttons[] = {{EventType::ButtonDown, kLeftButton},
                   {EventType::ButtonUp, kMiddleButton},
                   {EventType::ButtonDown, kRightButton}};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(r.events[1 + k].type, buttons[k].type) << k;
        EXPECT_EQ(r.events[1 + k].button, buttons[k].button) << k;
    }
    EXPECT_EQ(r.events[4].virtualKey, vk::kTab);
}

TEST(Replay, RefusedFileLeavesNoEventsFromTheLinesBeforeTheBadOne) {
    // Found by fuzzing: the good lines before a bad one stayed in the replay.
    ScratchDir dir;
    const auto path = dir.Write("r.txt",
                                "9223372036854775807 down Up\n1 down W\n"
                                "9223372036854775808 down Up\n");
    const Loaded r = LoadReplay(path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.err, path + ":3: '9223372036854775808' is not a frame number (1 or more)\n");
    EXPECT_TRUE(r.events.empty());

    // A second, failed load of the same object forgets the first, good one.
    Replay replay;
    ASSERT_TRUE(replay.Load(dir.Write("good.txt", "1 down W\n")));
    CaptureStderr([&] { EXPECT_FALSE(replay.Load(dir.Write("bad.txt", "1 down W\nx\n"))); });
    EXPECT_TRUE(replay.empty());
}

TEST(Replay, HostileFilesAreRefusedWithFileAndLine) {
    ScratchDir dir;
    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"1 down Up\n" + std::string(300, ' ') + "\n", ":2: line is longer than 255 characters\n"},
        {"1 down" + std::string(1, '\0') + " Up\n",
         ":1: line holds a NUL byte: this is not a text file\n"},
        // The binary bytes it quotes are written escaped.
        {"\x7f\x45LF\x02\x01\x01",
         ":1: '\\x7fELF\\x02\\x01\\x01' is not a frame number (1 or more)\n"},
        {"1 mouse 1073741824 0\n", ":1: mouse counts are out of range\n"},
        {"1 mouse 1 99999999999999999999\n", ":1: mouse takes two whole numbers of counts\n"},
        {"1 down 0x1g\n", ":1: unknown key '0x1g'\n"},
        {"1 down\n", ":1: down takes one key\n"},
        {"-1 close\n", ":1: '-1' is not a frame number (1 or more)\n"},
        {"2\n", ":1: an event needs a kind: down, up, mouse, cursor, button, pad, close or drop\n"},
        {"1 cursor 10\n", ":1: cursor takes two whole numbers of pixels\n"},
        {"1 cursor 10 2.5\n", ":1: cursor takes two whole numbers of pixels\n"},
        {"1 cursor -1073741825 0\n", ":1: cursor pixels are out of range\n"},
        {"1 button left\n", ":1: button takes left, middle or right, then down or up\n"},
        {"1 button Left down\n", ":1: button takes left, middle or right, then down or up\n"},
        {"1 button right pressed\n", ":1: button takes left, middle or right, then down or up\n"},
        {"1 click\n",
         ":1: unknown event 'click' (down, up, mouse, cursor, button, pad, close or drop)\n"},
        {"2 drop   # nothing\n", ":1: drop takes the path of a model file or a scene folder\n"},
        {"1 pad button a\n", ":1: pad takes button NAME down|up, or axis NAME VALUE\n"},
        {"1 pad stick leftx 1\n", ":1: pad takes button NAME down|up, or axis NAME VALUE\n"},
        {"1 pad button A down\n",
         ":1: unknown pad button 'A' (a b x y back start leftshoulder ...)\n"},
        {"1 pad button start held\n", ":1: pad button takes down or up after its name\n"},
        {"1 pad axis leftz 0.5\n",
         ":1: unknown pad axis 'leftz' (leftx lefty rightx righty ...)\n"},
        {"1 pad axis leftx 1.5\n", ":1: pad axis takes a value from -1 to 1\n"},
        {"1 pad axis leftx nan\n", ":1: pad axis takes a value from -1 to 1\n"},
        {"1 pad axis leftx 0.5x\n", ":1: pad axis takes a value from -1 to 1\n"},
        {"1 pad axis leftx 1e999\n", ":1: pad axis takes a value from -1 to 1\n"},
    };
    for (const Case& c : cases) {
        const auto path = dir.Write("bad.txt", c.text);
        const Loaded r = LoadReplay(path);
        EXPECT_FALSE(r.ok) << c.message;
        EXPECT_EQ(r.err, path + c.message);
        EXPECT_TRUE(r.events.empty());
    }
}

TEST(Replay, ADropTakesTheRestOfItsLineRelativeToTheReplaysFolder) {
    ScratchDir dir;
    const Loaded r = LoadReplay(
        dir.Write("r.txt", "3 drop /models/my ship.stl   # a comment\n4 drop\tscenes/ring \r\n"));
    ASSERT_TRUE(r.ok) << r.err;
    ASSERT_EQ(r.events.size(), 2u);
    EXPECT_EQ(r.events[0].type, EventType::Drop);
    EXPECT_EQ(r.events[0].path, "/models/my ship.stl");
    EXPECT_EQ(r.events[1].path, dir.path() + "/scenes/ring");
}

TEST(Replay, PadLinesNameSdlsButtonsAndAxes) {
    ScratchDir dir;
    const Loaded r = LoadReplay(
        dir.Write("r.txt",
                  "2 pad button leftshoulder down\n2 pad axis lefty -1\n5 pad axis rightx 0.375\n"
                  "6 pad button dpright up\n"));
    ASSERT_TRUE(r.ok) << r.err;
    ASSERT_EQ(r.events.size(), 4u);
    EXPECT_EQ(r.events[0].type, EventType::PadButtonDown);
    EXPECT_EQ(r.events[0].control, kPadLeftShoulder);
    EXPECT_EQ(r.events[1].type, EventType::PadAxisMoved);
    EXPECT_EQ(r.events[1].control, kPadLeftY);
    EXPECT_EQ(r.events[1].value, -1.0f);
    EXPECT_EQ(r.events[2].control, kPadRightX);
    EXPECT_EQ(r.events[2].value, 0.375f);
    EXPECT_EQ(r.events[3].type, EventType::PadButtonUp);
    EXPECT_EQ(r.events[3].control, kPadDpadRight);
    for (const InputEvent& e : r.events)
        EXPECT_EQ(e.pad, kReplayedPad);
}

TEST(Replay, EmptyFileIsAnEmptyReplayAndAFolderIsRefused) {
    ScratchDir dir;
    const Loaded empty = LoadReplay(dir.Write("empty.txt", ""));
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.err, "");
    EXPECT_TRUE(empty.events.empty());

    const Loaded folder = LoadReplay(dir.path());
    EXPECT_FALSE(folder.ok);
    EXPECT_EQ(folder.err, dir.path() + ": cannot read the replay file: is a directory\n");
}

TEST(Replay, LastLineWithoutLineBreakIsRead) {
    ScratchDir dir;
    const Loaded r = LoadReplay(dir.Write("r.txt", "1 down Up\n3 up Up"));
    ASSERT_TRUE(r.ok) << r.err;
    ASSERT_EQ(r.events.size(), 2u);
    EXPECT_EQ(r.events[1].type, EventType::KeyUp);
}

}  // namespace
}  // namespace wobble
