// The reader and writer steps of the formats with one tag table, on a tag
// file held in memory.
#include <gtest/gtest.h>

#include <map>

#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"
#include "core/catalogue/TagFile.h"

namespace hozanki {
namespace {

class MemoryTagFile : public TagFile {
 public:
  explicit MemoryTagFile(FileType type) : type_(type) {}
  FileType Type() const override { return type_; }
  std::string GetValue(std::string_view name) const override {
    auto it = values.find(std::string(name));
    return it == values.end() ? std::string() : it->second;
  }
  void SetValue(std::string_view name, std::string_view value) override {
    values[std::string(name)] = std::string(value);
    order.emplace_back(name);
  }
  bool Save(std::string*) override {
    ++saves;
    return true;
  }
  std::map<std::string, std::string> values;
  std::vector<std::string> order;
  int saves = 0;

 private:
  FileType type_;
};

TEST(OtherFormatRows, WavTitleFallsBackToIsbjAndRowIsChecked) {
  MemoryTagFile wav(FileType::WAV);
  wav.values = {{"IART", "歌手"}, {"ISBJ", "件名"}, {"TIME", "4:05 (245sec)"}, {"AFMT", "PCM, 44100Hz"}};
  MediaFileEntry e = EntryFromTagFile(wav, "A/b.wav", 1234567, 0);
  EXPECT_EQ(e.format, MediaFormat::WAV);
  ASSERT_EQ(e.file.cells.size(), 5u);
  EXPECT_EQ(e.file.cells[0].text, "b.wav");
  EXPECT_EQ(e.file.cells[1].text, "1,234,567");
  EXPECT_EQ(e.file.cells[3].text, "4:05");
  EXPECT_EQ(e.file.cells[3].value, 245);
  EXPECT_EQ(e.file.cells[4].text, "PCM, 44100Hz");
  ASSERT_EQ(e.tags.size(), 1u);
  EXPECT_EQ(e.tags[0].state, kChecked);
  EXPECT_EQ(e.tags[0].cells[0].text, "A/b.wav");
  EXPECT_EQ(e.tags[0].cells[1].text, "歌手");
  EXPECT_EQ(e.tags[0].cells[2].text, "件名");
  wav.values["INAM"] = "題名";
  EXPECT_EQ(EntryFromTagFile(wav, "b.wav", 0, 0).tags[0].cells[2].text, "題名");
}

TEST(OtherFormatRows, Mp4PairsAndPlayingTimeFromTheAudioFormat) {
  MemoryTagFile mp4(FileType::MP4);
  mp4.values = {{"TRACK1", "3"},
                {"TRACK2", "12"},
                {"DISC2", "2"},
                {"AFMT", "AAC, 245.621sec, 128kbps"},
                {"VFMT", "H.264, 640x480"},
                {"TIME", "9:99 (999sec)"}};
  MediaFileEntry e = EntryFromTagFile(mp4, "c.m4a", 0, 0);
  ASSERT_EQ(e.file.cells.size(), 6u);
  EXPECT_EQ(e.file.cells[3].text, "4:05");
  EXPECT_EQ(e.file.cells[3].value, 245);
  EXPECT_EQ(e.file.cells[5].text, "H.264, 640x480");
  EXPECT_EQ(e.tags[0].cells[4].text, "3/12");  // TRACK
  EXPECT_EQ(e.tags[0].cells[10].text, "0/2");  // DISC with only a total
}

TEST(OtherFormatRows, WriteCheckedSetsEveryValueUncheckedEmptiesThem) {
  MemoryTagFile mp4(FileType::MP4);
  MediaFileEntry e = EntryFromTagFile(mp4, "c.m4a", 0, 0);
  e.tags[0].cells[1].text = "歌手";
  e.tags[0].cells[4].text = "3/12";
  e.tags[0].cells[10].text = "/5";
  std::string error;
  ASSERT_TRUE(WriteRowToTagFile(mp4, e, &error)) << error;
  EXPECT_EQ(mp4.saves, 1);
  EXPECT_EQ(mp4.values["IART"], "歌手");
  EXPECT_EQ(mp4.values["TRACK1"], "3");
  EXPECT_EQ(mp4.values["TRACK2"], "12");
  EXPECT_EQ(mp4.values["DISC1"], "");
  EXPECT_EQ(mp4.values["DISC2"], "5");
  EXPECT_EQ(mp4.order,
            (std::vector<std::string>{"IART", "INAM", "IPRD", "TRACK1", "TRACK2", "ICRD", "IGNR", "ICMT",
                                      "IGRP", "COMPOSER", "DISC1", "DISC2", "BPM", "TOOL", "COMPILATION", "AART",
                                      "SOAR", "SOAA", "SOAL", "SONM", "LYRC"}));

  e.tags[0].cells[4].text = "3";
  ASSERT_TRUE(WriteRowToTagFile(mp4, e, &error));
  EXPECT_EQ(mp4.values["TRACK1"], "3");
  EXPECT_EQ(mp4.values["TRACK2"], "");

  MemoryTagFile wav(FileType::WAV);
  e = EntryFromTagFile(wav, "b.wav", 0, 0);
  for (size_t i = 1; i < e.tags[0].cells.size(); ++i) e.tags[0].cells[i].text = "v";
  e.tags[0].state = kUnchecked;
  ASSERT_TRUE(WriteRowToTagFile(wav, e, &error));
  ASSERT_EQ(wav.values.size(), 10u);
  for (const auto& [name, value] : wav.values) EXPECT_EQ(value, "") << name;

  MemoryTagFile ogg(FileType::OGG);
  EXPECT_FALSE(WriteRowToTagFile(ogg, e, &error));  // a WAV row is not written into another format
}

}  // namespace
}  // namespace hozanki
