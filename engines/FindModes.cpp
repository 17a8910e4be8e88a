#include "engines/FindModes.h"

TNameMode ResolveNameMode(std::string_view name, TNameMode mode)
{
    if (mode != TNameMode::Auto)
        return mode;
    return name.find_first_of("*?") == std::string_view::npos ? TNameMode::Substring : TNameMode::Glob;
}
