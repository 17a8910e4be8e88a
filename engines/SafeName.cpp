#include "engines/SafeName.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"

std::string UnsafeNameReason(std::string_view name)
{
    if (name.empty())
        return "The archive holds an entry without a name";
    const bool unsafe = name == "." || name == ".."
                        || name.find_first_of(std::string_view("/\\:\0", 4)) != std::string_view::npos;
    if (unsafe)
        return FormatStr("The entry name \"%s\" is not a valid file name", AnsiToUtf8(name).c_str());
    return {};
}
