#pragma once
// File names made from other file names, as file-name bytes (UTF-8). Their endings are counted
// as the windows count characters: one beyond the 16-bit range counts two, so that a name gives
// the same result here as typed in a window's path box.
#include <string>
#include <string_view>

namespace tw
{

// The path less its last three characters (a character beyond the 16-bit range that the count
// splits goes whole), plus ending: "a/prog.bin" gives "a/prog.asm". A path of fewer than three
// characters gives the ending alone.
std::string replaceLastThree(const std::string &path, std::string_view ending);

// The path of a file a tool writes beside its output (the MCS-51 segment list "lst", the MCS-48
// label dump "err"), in the output's folder: the output's three-character extension replaced
// ("a/prog.asm" gives "a/prog.lst"). An output without such an extension keeps its whole name
// and gets one ("/dev/full" gives "/dev/full.lst", "a.s" gives "a.s.lst"), so that a side file
// never takes another file's name or lands outside the output's folder.
std::string sideFilePath(const std::string &output, std::string_view ending);

} // namespace tw
