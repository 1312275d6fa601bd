#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/message.h"

namespace ruvo::test {

// Records every ShowMessage text while alive and restores the previous handler afterwards.
class MessageCapture {
 public:
  MessageCapture();
  ~MessageCapture();
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  const std::vector<std::string>& Texts() const { return texts; }

 private:
  std::vector<std::string> texts;
  MessageHandler previous;
};

// An outcome's messages joined by "; ", to explain a failed assertion.
std::string Said(const Outcome& outcome);

// A fresh empty folder, removed with everything in it at the end of the test. The working
// directory is restored too, since opening a document changes it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path; }
  std::string File(const std::string& name) const { return (path / name).string(); }

 private:
  std::filesystem::path path;
  std::filesystem::path savedWorkingDirectory;
};

// Makes path the working directory while it lives, as the desktop keeps its document's folder.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::filesystem::path& path);
  ~WorkingFolder();
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  std::filesystem::path saved;
};

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// |actual - expected| <= max(absolute, relative * |expected|).
testing::AssertionResult IsClose(double actual, double expected, double relative, double absolute = 0.0);

// Every element close in the sense of IsClose; a failure names the first index that is not, and a
// length mismatch fails too.
testing::AssertionResult AllClose(const std::vector<double>& actual,
                                  const std::vector<double>& expected,
                                  double relative,
                                  double absolute = 0.0);
#define ExpectAllClose(actual, expected, relative, absolute) \
  EXPECT_TRUE(::ruvo::test::AllClose((actual), (expected), (relative), (absolute)))

}  // namespace ruvo::test
