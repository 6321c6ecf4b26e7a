// Resource identifiers of the info windows: the worked-before window (108),
// the area window (106) and the plug-in's icon.
//
// Control ids are per dialog, so those of the area window may repeat numbers
// used by other templates; only the macro names must stay distinct.
#pragma once

// The plug-in's icon, the large icon of every window (also in resource.h).
#ifndef IDI_STATS
#define IDI_STATS 110
#endif

// The worked-before window "CALL" and its owner-drawn grid.
#define IDD_DXCC 108
#define IDC_DXCC_GRID 1003

// The area window "Brazil Area": one check box per area label.
#define IDD_OBLAST 106
#define IDC_OBLAST_AC 1106
#define IDC_OBLAST_AL 1107
#define IDC_OBLAST_AP 1108
#define IDC_OBLAST_AM 1109
#define IDC_OBLAST_BA 1110
#define IDC_OBLAST_CE 1111
#define IDC_OBLAST_DF 1112
#define IDC_OBLAST_ES 1113
#define IDC_OBLAST_GO 1114
#define IDC_OBLAST_MA 1115
#define IDC_OBLAST_MT 1116
#define IDC_OBLAST_MS 1117
#define IDC_OBLAST_MG 1118
#define IDC_OBLAST_PA 1119
#define IDC_OBLAST_PB 1120
#define IDC_OBLAST_PR 1121
#define IDC_OBLAST_PE 1122
#define IDC_OBLAST_PI 1123
#define IDC_OBLAST_RJ 1124
#define IDC_OBLAST_RN 1125
#define IDC_OBLAST_RS 1126
#define IDC_OBLAST_RO 1127
#define IDC_OBLAST_RR 1128
#define IDC_OBLAST_SC 1129
#define IDC_OBLAST_SP 1130
#define IDC_OBLAST_SE 1131
#define IDC_OBLAST_TO 1132
#define IDC_OBLAST_UF 1133
#define IDC_OBLAST_PY0F 1134
#define IDC_OBLAST_PY0S 1135
#define IDC_OBLAST_PY0T 1136
