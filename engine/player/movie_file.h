// Reading the player movie file: a compressed ("CWS") or plain ("FWS") movie whose one frame
// places a video object and declares the root variables the host talks through.
#pragma once
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
};

// Parses the bytes of a movie file; false for anything truncated, malformed or lacking the
// video object, the frame's declarations or its end.
bool ParseMovieFile(const std::vector<uint8_t>& bytes, MovieFile* movie);
// Reads and parses the file at path (UTF-16).
bool LoadMovieFile(const wchar_t* path, MovieFile* movie);
