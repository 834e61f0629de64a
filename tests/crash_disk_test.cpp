// The power cut at every step of a capture, and every state the disk may
// come back in: the level's name holds the earlier level or the new one,
// whole, and nothing else.
#include <gtest/gtest.h>

#include <string>

#include "capture/capture.h"
#include "tests/crash_disk.h"
#include "tests/game_folder.h"

namespace {

const char kGame[] = "/game";
const char kSource[] = "/game/Data/current.thm";
const char kLevel[] = "/game/User/SavedLevels/Old.bit";

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

struct Case {
  const char* name;
  bool earlierLevel;
  bool flushDoesNothing;
  bool folderFlushFails;
  bool levelCanTear;  // what the test must find
};

void LayOut(CrashDisk* disk, const Case& c, const std::string& source, const std::string& old) {
  for (const char* folder : {"/game", "/game/Data", "/game/User", "/game/User/SavedLevels"})
    disk->AddFolder(folder);
  disk->AddFile(kSource, source);
  if (c.earlierLevel) disk->AddFile(kLevel, old);
  disk->flushDoesNothing = c.flushDoesNothing;
  disk->folderFlushFails = c.folderFlushFails;
}

TEST(CrashDiskTest, EveryPowerCutLeavesTheEarlierLevelOrTheNewOne) {
  const Case cases[] = {
      {"over an earlier level", true, false, false, false},
      {"with no earlier level", false, false, false, false},
      // Reported as Created, yet the name holds one whole level or the other.
      {"over an earlier level, folder flush refused", true, false, true, false},
      // The capture as it was before it flushed: the test must catch it.
      {"over an earlier level, without the flush", true, true, false, true},
  };
  const std::string source = SampleBytes(60, 21), old = SampleBytes(90, 22);
  const std::string level = source.substr(SourcePrefixLength);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CrashDisk uncut;
    LayOut(&uncut, c, source, old);
    ASSERT_EQ(CaptureLastMap(uncut, kGame, GameChoice::Armageddon, "Old").outcome,
              CaptureOutcome::Created);
    ASSERT_GT(uncut.calls(), 10);

    std::string torn, stray;
    for (int cut = 0; cut <= uncut.calls(); ++cut) {
      CrashDisk disk;
      LayOut(&disk, c, source, old);
      disk.CutPowerAfter(cut);
      const CaptureReport report = CaptureLastMap(disk, kGame, GameChoice::Armageddon, "Old");
      // After the whole capture, with every flush done, only the new level may come back.
      const bool durable = cut == uncut.calls() && !c.flushDoesNothing && !c.folderFlushFails;
      if (durable) {
        EXPECT_EQ(report.outcome, CaptureOutcome::Created);
      }
      const std::string at = "cut after " + std::to_string(cut) + " calls: ";

      for (const CrashDisk::Image& image : disk.AfterPowerCut()) {
        const auto found = image.find(kLevel);
        const bool isNew = found != image.end() && found->second == level;
        const bool isOld = c.earlierLevel ? found != image.end() && found->second == old
                                          : found == image.end();
        if (!isNew && !(isOld && !durable) && torn.empty()) {
          torn = at + (found == image.end() ? std::string("no level")
                                            : std::to_string(found->second.size()) + "-byte level" +
                                                  (isOld ? ", the old one" : ", neither"));
        }
        for (const auto& [path, bytes] : image) {
          const bool strayLevel = EndsWith(path, ".bit") && path != kLevel;
          if ((strayLevel || (path == kSource && bytes != source)) && stray.empty()) stray = at + path;
        }
        if (!image.count(kSource) && stray.empty()) stray = at + "current.thm lost";
      }
    }
    EXPECT_EQ(!torn.empty(), c.levelCanTear) << torn;
    EXPECT_EQ(stray, "");
  }
}

}  // namespace
