#include "sound/source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "tests/sound/util.h"

namespace {

using soundtest::TempDir;

// Decodes the whole stream and returns the number of bytes ov_read gave.
long long DecodeAll(OggVorbis_File* vf) {
  char buffer[4096];
  int bitstream = 0;
  long long total = 0;
  for (;;) {
    long n = ov_read(vf, buffer, sizeof buffer, 0, 2, 1, &bitstream);
    if (n == 0) return total;
    if (n < 0) return -1;
    total += n;
  }
}

TEST(ResourceStream, ReadsUpToTheEndThenNothing) {
  const unsigned char data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  ResourceStream s{0, sizeof data, data};
  unsigned char out[16] = {};
  EXPECT_EQ(ResourceStreamRead(out, 1, 4, &s), 4u);
  EXPECT_EQ(ResourceStreamTell(&s), 4);
  EXPECT_EQ(ResourceStreamRead(out, 1, 16, &s), 6u);  // only what is left
  EXPECT_EQ(0, std::memcmp(out, data + 4, 6));
  EXPECT_EQ(ResourceStreamRead(out, 1, 16, &s), 0u);
  // Item counts that would overflow a size_t product are cut like any other.
  ASSERT_EQ(ResourceStreamSeek(&s, 8, SEEK_SET), 0);
  EXPECT_EQ(ResourceStreamRead(out, SIZE_MAX / 2, 4, &s), 2u);
  EXPECT_EQ(ResourceStreamRead(out, 1, 4, nullptr), 0u);
}

TEST(ResourceStream, SeeksFromStartCurrentAndEnd) {
  const unsigned char data[100] = {};
  ResourceStream s{0, sizeof data, data};
  EXPECT_EQ(ResourceStreamSeek(&s, 40, SEEK_SET), 0);
  EXPECT_EQ(ResourceStreamTell(&s), 40);
  EXPECT_EQ(ResourceStreamSeek(&s, -15, SEEK_CUR), 0);
  EXPECT_EQ(ResourceStreamTell(&s), 25);
  EXPECT_EQ(ResourceStreamSeek(&s, -10, SEEK_END), 0);
  EXPECT_EQ(ResourceStreamTell(&s), 90);
  EXPECT_EQ(ResourceStreamSeek(&s, 0, SEEK_END), 0);
  EXPECT_EQ(ResourceStreamTell(&s), 100);
  unsigned char out[4];
  EXPECT_EQ(ResourceStreamRead(out, 1, 4, &s), 0u);

  EXPECT_EQ(ResourceStreamSeek(&s, 5, 3), -1);  // unknown origin
  EXPECT_EQ(ResourceStreamTell(&s), 100);
  // Past the end is allowed and reads nothing; only the low 32 bits of an offset count.
  EXPECT_EQ(ResourceStreamSeek(&s, 500, SEEK_SET), 0);
  EXPECT_EQ(ResourceStreamRead(out, 1, 4, &s), 0u);
  EXPECT_EQ(ResourceStreamSeek(&s, (1LL << 32) + 7, SEEK_SET), 0);
  EXPECT_EQ(ResourceStreamTell(&s), 7);

  EXPECT_EQ(ResourceStreamSeek(nullptr, 0, SEEK_SET), -1);
  EXPECT_EQ(ResourceStreamTell(nullptr), -1);
  EXPECT_EQ(ResourceStreamClose(nullptr), -1);
}

// A lookup that knows the embedded track under one number and records what was asked.
plat::ResourceData g_track;
int g_lookups;
int g_lastId;
bool TrackAsNumber(const char* name, std::uint16_t id, plat::ResourceData* out) {
  ++g_lookups;
  g_lastId = name ? -1 : id;
  if (name || id != 0x1234) return false;
  *out = g_track;
  return true;
}

class SoundSourceTest : public ::testing::Test {
 protected:
  void TearDown() override { SetSoundResourceLookupForTesting(nullptr); }
  OggVorbis_File vf{};
};

TEST_F(SoundSourceTest, EmbeddedTrackDecodesWhole) {
  ASSERT_TRUE(OpenSoundSource("res://TESTOGG", &vf));
  EXPECT_NE(ov_seekable(&vf), 0);
  vorbis_info* info = ov_info(&vf, -1);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->channels, 1);
  EXPECT_EQ(info->rate, 44100);
  ogg_int64_t samples = ov_pcm_total(&vf, -1);
  EXPECT_NEAR(samples / 44100.0, 8.1, 0.1);
  EXPECT_EQ(DecodeAll(&vf), samples * 2);
  ov_clear(&vf);  // closes the stream (LeakSanitizer watches)
}

TEST_F(SoundSourceTest, NumbersInDecimalAndHexNameTheSameResource) {
  ASSERT_TRUE(plat::FindResource("RCDATA", "TESTOGG", &g_track));
  SetSoundResourceLookupForTesting(TrackAsNumber);
  for (const char* name : {"res://#4660", "res://#0x1234", "res://#011064", "res://#0x51234"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(OpenSoundSource(name, &vf));  // the last is cut to its low 16 bits
    ov_clear(&vf);
  }
  g_lookups = 0;
  EXPECT_FALSE(OpenSoundSource("res://#abc", &vf));
  EXPECT_FALSE(OpenSoundSource("res://#", &vf));
  EXPECT_EQ(g_lookups, 0);  // failed at the number, not at the lookup
  EXPECT_FALSE(OpenSoundSource("res://#-1", &vf));
  EXPECT_EQ(g_lastId, 0xFFFF);
}

TEST_F(SoundSourceTest, NamesThatFindNothingFail) {
  EXPECT_FALSE(OpenSoundSource("res://", &vf));
  EXPECT_FALSE(OpenSoundSource("res://NOSUCHSOUND", &vf));
  EXPECT_FALSE(OpenSoundSource("/nonexistent/kiru.ogg", &vf));
  // Only the exact prefix names a resource: this is a (missing) file path.
  EXPECT_FALSE(OpenSoundSource("RES://TESTOGG", &vf));
  EXPECT_TRUE(OpenSoundSource("res://testogg", &vf));  // resource names ignore case
  ov_clear(&vf);
}

TEST_F(SoundSourceTest, UpperCasePrefixIsAFilePath) {
#ifdef _WIN32
  GTEST_SKIP() << "a Windows file name holds no colon";
#endif
  TempDir dir;
  // "Res:" is a relative directory here, so the name resolves under the working directory.
  std::string cwd = std::filesystem::current_path().string();
  std::filesystem::current_path(dir.File(""));
  std::filesystem::create_directories("Res:/");
  bool made = soundtest::MakeOgg("Res:/TESTOGG", 4410);
  bool opened = made && OpenSoundSource("Res://TESTOGG", &vf);
  std::filesystem::current_path(cwd);
  if (!made) GTEST_SKIP() << "oggenc not installed";
  ASSERT_TRUE(opened);
  EXPECT_EQ(ov_pcm_total(&vf, -1), 4410);
  ov_clear(&vf);
}

TEST_F(SoundSourceTest, DataThatIsNotVorbisFailsAndLeaksNothing) {
  static const char junk[] = "OggS but not really an Ogg Vorbis stream at all, just text.";
  static plat::ResourceData junkData{reinterpret_cast<const unsigned char*>(junk), sizeof junk};
  SetSoundResourceLookupForTesting([](const char*, std::uint16_t, plat::ResourceData* out) {
    *out = junkData;
    return true;
  });
  EXPECT_FALSE(OpenSoundSource("res://JUNK", &vf));  // the stream is freed (LeakSanitizer)

  TempDir dir;
  soundtest::WriteFile(dir.File("junk.ogg"), junk);
  EXPECT_FALSE(OpenSoundSource(dir.File("junk.ogg").c_str(), &vf));  // the FILE is closed

  // An empty resource fails before the decoder sees it.
  SetSoundResourceLookupForTesting([](const char*, std::uint16_t, plat::ResourceData* out) {
    *out = plat::ResourceData{reinterpret_cast<const unsigned char*>(junk), 0};
    return true;
  });
  EXPECT_FALSE(OpenSoundSource("res://EMPTY", &vf));
}

TEST_F(SoundSourceTest, FileFromOggencDecodesToTheLengthOggInfoReports) {
  TempDir dir;
  std::string path = dir.File("tone.ogg");
  const int samples = 30000;
  if (!soundtest::MakeOgg(path, samples) || !soundtest::HaveTool("ogginfo")) GTEST_SKIP() << "vorbis-tools missing";
  ASSERT_TRUE(OpenSoundSource(path.c_str(), &vf));
  EXPECT_EQ(ov_pcm_total(&vf, -1), samples);
  EXPECT_EQ(DecodeAll(&vf), 2LL * samples);
  ov_clear(&vf);

  std::string report = dir.File("info.txt");
  // ogginfo reports trouble in its text; the assertions below read it.
  int status = std::system(("ogginfo '" + path + "' > '" + report + "' 2>&1").c_str());
  (void)status;
  std::string text = soundtest::ReadFile(report);
  size_t at = text.find("Playback length: ");
  int minutes = 0;
  double seconds = 0;
  ASSERT_NE(at, std::string::npos) << text;
  ASSERT_EQ(std::sscanf(text.c_str() + at, "Playback length: %dm:%lfs", &minutes, &seconds), 2) << text;
  seconds += minutes * 60;
  EXPECT_NEAR(seconds, samples / 44100.0, 0.001);
}

}  // namespace
