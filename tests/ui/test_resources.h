// Resource identifiers shared by the dialog template and the dialog tests.
#pragma once

#define IDD_TEST_DIALOG 101
