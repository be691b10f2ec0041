// get_accSelection's answer: the selected lines as a client reads them.
#pragma once

#include <oaidl.h>

#include <vector>

#include "../canvas/lineStore.h"

// VT_EMPTY and S_FALSE when no line is selected, the line's VT_I4 child id when one is, and an
// IEnumVARIANT of their ids when several are.
HRESULT answerSelection(const std::vector<Line>& lines, VARIANT* selection);
