// Resource identifiers shared by the dialog templates and the dialog tests.
#pragma once

#define IDD_TEST_DIALOG 101
#define IDC_TEST_LABEL 1001
