// SPDX-License-Identifier: GPL-3.0-or-later
// A shared library that is no Qt plug-in at all.
extern "C" int tessaly_test_plain_library()
{
    return 42;
}
