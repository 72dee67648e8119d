// Other programs read what we write: mutagen (Python) and ffprobe, when they
// are installed (scripts/setup.sh installs both).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "MediaTestSupport.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"

namespace hozanki {
namespace {

std::string Capture(const std::string& command, int* status) {
  std::string out;
  FILE* p = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (!p) return out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  int s = ::pclose(p);
  *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  return out;
}

bool HaveMutagen() {
  int status = -1;
  Capture("/usr/bin/python3 -c 'import mutagen'", &status);
  return status == 0;
}

bool HaveFfprobe() {
  int status = -1;
  Capture("ffprobe -version", &status);
  return status == 0;
}

// Text frames and APE items as mutagen reads them.
nlohmann::json Mutagen(const std::filesystem::path& file) {
  std::string script =
      "import json,sys\n"
      "from mutagen.id3 import ID3\n"
      "from mutagen.apev2 import APEv2\n"
      "out={}\n"
      "try:\n"
      "  t=ID3(sys.argv[1], v2_version=4)\n"
      "  out['version']=t.version[1]\n"
      "  for k in ('TPE1','TIT2','TALB','TRCK','TDRC','TCON','TOPE'):\n"
      "    if k in t: out[k]=str(t[k])\n"
      "  c=[f for f in t.getall('COMM') if f.desc=='']\n"
      "  if c: out['COMM']=str(c[0])\n"
      "except Exception: pass\n"
      "try:\n"
      "  a=APEv2(sys.argv[1])\n"
      "  for k in a.keys(): out['APE:'+k]=str(a[k])\n"
      "except Exception: pass\n"
      "print(json.dumps(out))\n";
  std::filesystem::path py = file.parent_path() / "dump.py";
  test::WriteBytes(py, script);
  int status = -1;
  std::string out = Capture("/usr/bin/python3 '" + py.string() + "' '" + file.string() + "'", &status);
  return status == 0 ? nlohmann::json::parse(out) : nlohmann::json();
}

nlohmann::json Ffprobe(const std::filesystem::path& file) {
  int status = -1;
  std::string out =
      Capture("ffprobe -v error -show_entries format_tags -of json '" + file.string() + "'", &status);
  return status == 0 ? nlohmann::json::parse(out)["format"]["tags"] : nlohmann::json();
}

class Mp3Interop : public test::MediaTempDir {
 protected:
  MediaFileEntry WriteId3v2(const std::string& fixture, const std::string& name, WriteSettings s,
                            std::vector<std::string> values) {
    Copy(fixture, name);
    auto e = ReadMediaFile(dir_, name);
    EXPECT_TRUE(e);
    TagRow& row = e->tags[1];
    for (size_t i = 0; i < values.size(); ++i) row.cells[i + 1].text = values[i];
    row.state = kChecked;
    row.image = kChangedMark;
    std::string error;
    EXPECT_TRUE(WriteMediaFile(dir_, *e, s, &error)) << error;
    return *e;
  }
};

const std::vector<std::string> kValues = {"아이유 & 歌手", "Café 〜 タイトル", "アルバム", "3/12", "2004",
                                          "Rock",          "コメント",         "",         "",     "",
                                          "原作者"};

TEST_F(Mp3Interop, MutagenReadsEveryVersionAndUnsynchronisation) {
  if (!HaveMutagen()) GTEST_SKIP() << "mutagen is not installed";
  for (int version : {1, 2, 3}) {
    for (int unsync : {1, 2}) {
      SCOPED_TRACE(std::to_string(version) + "/" + std::to_string(unsync));
      std::string name = "m" + std::to_string(version) + std::to_string(unsync) + ".mp3";
      WriteId3v2("plain.mp3", name, WriteSettings{2, unsync, version, true}, kValues);
      nlohmann::json j = Mutagen(dir_ / name);
      EXPECT_EQ(j["version"], version + 1);
      EXPECT_EQ(j["TPE1"], kValues[0]);
      EXPECT_EQ(j["TIT2"], kValues[1]);
      EXPECT_EQ(j["TALB"], kValues[2]);
      EXPECT_EQ(j["TRCK"], kValues[3]);
      EXPECT_EQ(j["TDRC"], kValues[4]);
      EXPECT_EQ(j["TCON"], "Rock");
      EXPECT_EQ(j["COMM"], kValues[6]);
      EXPECT_EQ(j["TOPE"], kValues[10]);
    }
  }
}

TEST_F(Mp3Interop, MutagenReadsApeAndFfprobeReadsId3v2) {
  Copy("plain.mp3", "ape.mp3");
  auto e = ReadMediaFile(dir_, "ape.mp3");
  ASSERT_TRUE(e);
  e->tags[3].cells[1].text = "エーピーイー歌手";
  e->tags[3].cells[2].text = "Title";
  e->tags[3].state = kChecked;
  e->tags[3].image = kChangedMark;
  std::string error;
  ASSERT_TRUE(WriteMediaFile(dir_, *e, {}, &error)) << error;
  if (HaveMutagen()) {
    nlohmann::json j = Mutagen(dir_ / "ape.mp3");
    EXPECT_EQ(j["APE:Artist"], "エーピーイー歌手");
    EXPECT_EQ(j["APE:Title"], "Title");
  }
  if (!HaveFfprobe()) GTEST_SKIP() << "ffprobe is not installed";
  nlohmann::json tags;
  // ffprobe reads frame sizes of unsynchronised 2.3 tags differently; it reads
  // tags written without unsynchronisation.
  for (int version : {2, 3}) {
    std::string name = "f" + std::to_string(version) + ".mp3";
    WriteId3v2("plain.mp3", name, WriteSettings{2, 1, version, true}, kValues);
    tags = Ffprobe(dir_ / name);
    EXPECT_EQ(tags["artist"], kValues[0]);
    EXPECT_EQ(tags["title"], kValues[1]);
    EXPECT_EQ(tags["album"], kValues[2]);
    EXPECT_EQ(tags["track"], kValues[3]);
    EXPECT_EQ(tags["genre"], "Rock");
  }
}

}  // namespace
}  // namespace hozanki
