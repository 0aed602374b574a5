// Ids of the updater's progress dialog "DLGINS" (resources/updater.rc),
// shared by the template and the program's dialog code.
#pragma once

#define IDC_INS_ROOT 100           // the installation root (TSay)
#define IDC_INS_BROWSE 110         // the company list (TWBrowse)
#define IDC_INS_COMPANY_METER 120  // companies started (TMeter)
#define IDC_INS_FILE_METER 130     // the company in work's file passes (TMeter)
#define IDC_INS_ANIMATION 150      // the animation picture (TBitmap)
#define IDC_INS_BANNER 160         // the header banner (TBitmap)
#define IDC_INS_LOGO 170           // the product logo (TBitmap, transparent)
