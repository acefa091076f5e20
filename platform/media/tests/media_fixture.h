// Small media files made by the tests, and what ffprobe reads in a file.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace media_fixture {

struct Tone {
  int channels = 1;
  int rate = 44100;
  int bits = 16;  // 8, 16 or 24 integer; 32 floating point
  double seconds = 1.0;
};

inline void putLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
}

// A 440 Hz sine at half scale in a plain WAVE file.
inline void writeTone(const std::string& path, const Tone& tone) {
  const bool floating = tone.bits == 32;
  const int bytes = tone.bits / 8;
  const auto frames = static_cast<uint32_t>(tone.rate * tone.seconds);
  std::string data;
  for (uint32_t i = 0; i < frames; ++i) {
    const double v = 0.5 * std::sin(2 * M_PI * 440.0 * i / tone.rate);
    for (int c = 0; c < tone.channels; ++c) {
      if (floating) {
        const float f = static_cast<float>(v);
        data.append(reinterpret_cast<const char*>(&f), 4);
      } else if (tone.bits == 8) {
        data += static_cast<char>(128 + static_cast<int>(v * 127));
      } else {
        putLe(data, static_cast<uint32_t>(static_cast<int32_t>(v * ((1 << (tone.bits - 1)) - 1))), bytes);
      }
    }
  }
  std::string file = "RIFF";
  putLe(file, static_cast<uint32_t>(36 + data.size()), 4);
  file += "WAVEfmt ";
  putLe(file, 16, 4);
  putLe(file, floating ? 3 : 1, 2);
  putLe(file, tone.channels, 2);
  putLe(file, tone.rate, 4);
  putLe(file, tone.rate * tone.channels * bytes, 4);
  putLe(file, tone.channels * bytes, 2);
  putLe(file, tone.bits, 2);
  file += "data";
  putLe(file, static_cast<uint32_t>(data.size()), 4);
  std::ofstream(path, std::ios::binary) << file << data;
}

inline bool have(const char* program) {
  return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// A short test-pattern video (MJPEG in AVI), made by the ffmpeg program.
inline bool makeVideo(const std::string& path, int frames = 10) {
  if (!have("ffmpeg")) return false;
  const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=10 -frames:v " +
                              std::to_string(frames) + " -c:v mjpeg '" + path + "'";
  return std::system(command.c_str()) == 0;
}

// The first stream's and the container's entries as ffprobe gives them.
inline std::map<std::string, std::string> probe(const std::string& path) {
  std::map<std::string, std::string> entries;
  const std::string command =
      "ffprobe -v error -show_entries "
      "stream=codec_name,codec_tag_string,sample_rate,channels,nb_frames:format=duration,format_name "
      "-of default=nw=1 '" + path + "' 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return entries;
  char line[256];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string entry(line);
    while (!entry.empty() && (entry.back() == '\n' || entry.back() == '\r')) entry.pop_back();
    const auto eq = entry.find('=');
    if (eq != std::string::npos) entries.emplace(entry.substr(0, eq), entry.substr(eq + 1));
  }
  ::pclose(pipe);
  return entries;
}

}  // namespace media_fixture
