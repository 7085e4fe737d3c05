// The one place where an exception stops: every exported call runs its body through
// GuardExport, so nothing thrown below (an allocation that failed) crosses into a caller that
// knows no C++. The call then gives its failure result, after the line "<call> - exception".
#pragma once
#include "core/trace.h"

template <typename Result, typename Body>
Result GuardExport(const char* pszCall, Result failure, Body body)
{
    try {
        return body();
    } catch (...) {
        TraceLog("%s - exception\n", pszCall);
        return failure;
    }
}

// For the calls that give no result.
template <typename Body>
void GuardExport(const char* pszCall, Body body)
{
    try {
        body();
    } catch (...) {
        TraceLog("%s - exception\n", pszCall);
    }
}
