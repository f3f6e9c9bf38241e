#include "base/FileNames.h"

namespace tw
{

namespace
{

// Where the last count characters of a path begin: a character beyond the 16-bit range counts
// two, a stray continuation byte one.
std::size_t lastCharactersStart(const std::string &path, int count)
{
    std::size_t cut = path.size();
    for (int units = 0; units < count && cut > 0;) {
        std::size_t lead = cut - 1;
        while (lead > 0 && (static_cast<unsigned char>(path[lead]) & 0xC0) == 0x80 && cut - lead < 4)
            --lead;
        const auto first = static_cast<unsigned char>(path[lead]);
        if (first < 0xC0 && lead != cut - 1)
            lead = cut - 1; // stray continuation bytes: one character each
        units += first >= 0xF0 && lead + 4 == cut ? 2 : 1;
        cut = lead;
    }
    return cut;
}

} // namespace

std::string replaceLastThree(const std::string &path, std::string_view ending)
{
    return path.substr(0, lastCharactersStart(path, 3)) + std::string(ending);
}

std::string sideFilePath(const std::string &output, std::string_view ending)
{
    const std::size_t cut = lastCharactersStart(output, 3);
    const bool extension = cut > 0 && output[cut - 1] == '.' && output.find('/', cut) == std::string::npos;
    if (extension)
        return output.substr(0, cut) + std::string(ending);
    return output + '.' + std::string(ending);
}

} // namespace tw
