// Ids of the toolkit's test dialog templates (resources/toolkit_test.rc),
// shared by the template and the tests.
#pragma once

#define IDD_TK_TEST 1001    // the test dialog
#define IDC_TK_LABEL 100    // a static text
#define IDC_TK_NOTE 101     // a second static text
#define IDC_TK_BUTTON 102   // a push button
#define IDC_TK_FRAME 103    // a group box
#define IDC_TK_MISSING 199  // an id the template does not have
#define IDI_TK_ICON 1101    // a small icon
