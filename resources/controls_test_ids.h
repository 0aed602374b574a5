// Ids of the control tests' templates (resources/controls_test.rc), shared
// by the templates and the tests.
#pragma once

#define IDD_CT_METER 1201  // a dialog with two meters
#define IDC_CT_METER1 201  // a meter, 150 x 12 units
#define IDC_CT_METER2 202  // a second meter

#define IDD_CT_PLAIN 1204  // an empty dialog for controls made in code

#define IDD_CT_LOW_METER 1205  // the progress dialog's font, a meter 9 units high
#define IDC_CT_LOW_METER 205

#define IDD_CT_BITMAPS 1202  // a dialog with three bitmap controls
#define IDC_CT_BITMAP1 211
#define IDC_CT_BITMAP2 212
#define IDC_CT_BITMAP3 213

#define IDD_CT_BROWSE 1203  // a dialog with one browse
#define IDC_CT_BROWSE 221   // border, vertical scroll bar, tab stop

#define IDB_CT_SOLID 1301  // test_solid.bmp by number
