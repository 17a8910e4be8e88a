#include "engines/ExtractTypes.h"

std::string ExtractFailureText(const TExtractFailure &failure)
{
    return "Can't extract: " + failure.Path + "\nError: " + failure.Message;
}
