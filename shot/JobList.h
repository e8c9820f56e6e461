#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "shot/ShotOptions.h"

namespace pagrovix {

// One line of a list file split into its fields: blanks (spaces and tabs) separate them, and a
// field in double quotes may hold blanks, with \" and \\ standing for a quote and a backslash.
// Throws Error for an unclosed quote.
std::vector<std::string> SplitListLine(std::string_view line);

// The jobs of a list file's text, in order. Blank lines and lines whose first non-blank character
// is '#' are skipped. A line is "ADDRESS OUTPUT", or "ADDRESS" alone when outputs are named after
// addresses (namedOutputs; its output is then left empty). A line that cannot be a job becomes
// a job with a problem, labelled "LISTNAME line N", so that it is reported in its place and the
// other lines still run.
// A UTF-8 byte-order mark before the first line is not part of it, and a CR before a line's end
// is a blank.
std::vector<ShotJob> ReadJobList(std::string_view text, const std::string& listName,
                                 bool namedOutputs);

// The longest line a list may hold: far more than any address, so that a list that is not one
// (a binary file, /dev/zero) ends the run at once instead of filling the memory.
inline constexpr std::size_t kLongestListLine = 64 * 1024;

// Reads a list's whole text from the stream. Throws UsageError naming the list and the line
// when a line is longer than kLongestListLine.
std::string ReadListText(std::istream& in, const std::string& listName);

// The file name for a page: the address without its scheme, user and fragment, every character
// other than A-Z, a-z, 0-9, '.', '-' and '_' turned into '_', runs of '_' made one, no '.' or '_'
// at either end, at most 200 bytes; "page" when nothing is left. No extension.
std::string NameForAddress(std::string_view address);

// Gives every job without an output a file in folder named after its address, with the
// extension of format. A name that an earlier job of the list already got takes "-2", "-3", ...
// Only the list decides: files already in the folder do not change the names, so a resumed or
// sharded run names every page as the whole run would.
void NameOutputs(std::vector<ShotJob>& jobs, const std::string& folder, ImageFormat format);

// Throws UsageError naming both jobs when two jobs of the run write one file.
void CheckOutputsDistinct(const std::vector<ShotJob>& jobs);

// The jobs of shard index (1 to count): the index-th, then every count-th after it.
std::vector<ShotJob> KeepShard(std::vector<ShotJob> jobs, const Shard& shard);

// Leaves out the jobs whose output file exists already; returns those left out. The
// writers put a file in place only once it is complete, so an existing file is a whole picture.
std::vector<ShotJob> DropExisting(std::vector<ShotJob>& jobs);

// The whole run's jobs in order: those of the command line, then those of the list text (when
// the options name a list), outputs named, the shard kept.
std::vector<ShotJob> PlanJobs(const ShotOptions& options, std::string_view listText);

}  // namespace pagrovix
