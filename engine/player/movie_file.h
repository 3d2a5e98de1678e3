// Reading the player movie file: a compressed ("CWS") or plain ("FWS") movie whose one frame
// places a video object and declares the root variables the host talks through.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct MovieFile {
  int version = 0;
  int stageWidth = 0, stageHeight = 0;  // pixels
  double frameRate = 0;
  int frameCount = 0;
  std::wstring videoName;                // the placed video object's instance name
  int videoWidth = 0, videoHeight = 0;
  // The root variables the frame declares, in order, with their initial values as text.
  std::vector<std::pair<std::wstring, std::wstring>> variables;
  bool operator==(const MovieFile&) const = default;
};

// What a file may make the reader hold or walk, so that a crafted one is refused early with
// little memory. The real movie declares under a kilobyte: 18 variables in 7 tags, two values
// pushed at a time.
constexpr uint32_t kMovieMaxLength = 64 << 10;  // the declared length, uncompressed
constexpr int kMovieMaxTags = 64;              // End included
constexpr size_t kMovieMaxStack = 16;          // values pushed and not yet taken
constexpr size_t kMovieMaxVariables = 64;

// Parses the bytes of a movie file; false for anything truncated, malformed or lacking the
// video object, the frame's declarations or its end. Portable: no Windows header
// (tools/fuzz.sh builds movie_file.cpp natively).
bool ParseMovieFile(const std::vector<uint8_t>& bytes, MovieFile* movie);
// Reads and parses the file at path (UTF-16); in movie_file_read.cpp.
bool LoadMovieFile(const wchar_t* path, MovieFile* movie);
