// SPDX-License-Identifier: GPL-3.0-or-later
// Adapters that give each matcher of CString256 the uniform MatchFunc form,
// so a caller can hold the choice of rule as a function pointer and run it
// with CString256::match.
//
// Through match() the text object is always the first argument: pass a
// terminated pattern text as the data for the matcher_ adapters, and a
// CList<CString256> of pieces for the match_wildcard_ adapters.
#pragma once

#include "util/CList.h"
#include "util/CString256.h"

// The pattern (second argument) is copied into a CString256, cut to 255.
void matcher_case_exact_256(void* text, void* pattern, float* score);
void matcher_nocase_exact_256(void* text, void* pattern, float* score);
void matcher_case_partial_256(void* text, void* pattern, float* score);
void matcher_nocase_partial_256(void* text, void* pattern, float* score);
void matcher_case_approximate_256(void* text, void* pattern, float* score);
void matcher_nocase_approximate_256(void* text, void* pattern, float* score);

// The text (first argument) is read as terminated text and copied into a
// CString256, cut to 255; a CString256 passes as its own text.
void match_wildcard_case_256(void* text, void* pieces, float* score);
void match_wildcard_nocase_256(void* text, void* pieces, float* score);
