// Ids of the look-settings dialogs (resources/look_dialogs.rc): the
// configuration dialog "Colores" (20010) and the browse-style dialog
// (20011), shared by the templates and toolkit/look_dialogs.
#pragma once

#define IDD_COLORES 20010
#define IDD_CONFIGBRW 20011

// 20010
#define IDC_CL_ACTIVE_SAMPLE 101    // sample entry field, active colours
#define IDC_CL_INACTIVE_SAMPLE 102  // sample entry field, inactive colours
#define IDC_CL_SAY_SAMPLE 103       // sample label, informative colour
#define IDC_CL_DESKTOP 110          // colour buttons
#define IDC_CL_ENA1 111
#define IDC_CL_ENA2 112
#define IDC_CL_DISA1 113
#define IDC_CL_DISA2 114
#define IDC_CL_SAY 115
#define IDC_CL_DESKTOP_SWATCH 116  // the desktop colour shown
#define IDC_CL_FTITULO 120         // list font buttons
#define IDC_CL_FLINEA 121
#define IDC_CL_FSTOTAL 122
#define IDC_CL_FTOTAL 123
#define IDC_CL_SCREENFONT 124   // screen font button
#define IDC_CL_FONT_SAMPLE 125  // the screen font's description
#define IDC_CL_BROWSE 130       // sample browse
#define IDC_CL_CONFIGBRW 131    // "Configurar": the browse-style dialog
#define IDC_CL_STYLE_FRAME 132  // " Estilo de listas"
#define IDC_CL_REST_COLORS 140  // restore buttons
#define IDC_CL_REST_FONTS 141
#define IDC_CL_REST_BROWSE 142
#define IDC_CL_HELP 150

// 20011
#define IDC_CB_NOLINES 201  // line style radio buttons
#define IDC_CB_DOTTED 202
#define IDC_CB_SOLID 203
#define IDC_CB_LINE 210  // colour buttons
#define IDC_CB_FOREHD 211
#define IDC_CB_BACKHD 212
#define IDC_CB_TEXT 213
#define IDC_CB_PANE 214
#define IDC_CB_TFOCUS 215
#define IDC_CB_PFOCUS 216
#define IDC_CB_ALTER 220  // alternate rows
#define IDC_CB_TROW1 221
#define IDC_CB_PROW1 222
#define IDC_CB_TROW2 223
#define IDC_CB_PROW2 224
#define IDC_CB_CLASSIC 230       // classic look
#define IDC_CB_HLINE 231         // extra row height, 0 to 40
#define IDC_CB_SWATCH_FIRST 240  // swatches 240..250 beside the colour buttons
