// Resource identifiers of Stats.dll.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// The Cabrillo header dialog.
#define IDD_CABRILLO 101
#define IDC_SOAPBOX 1001
#define IDC_ADDRESS 1002
#define IDC_ADDRESS_CITY 1003
#define IDC_EMAIL 1004
#define IDC_CLUB 1005
#define IDC_OPERATORS 1006
#define IDC_NAME 1007
#define IDC_CLAIMED 1008
#define IDC_CONTEST 1009
#define IDC_CALLSIGN 1010
#define IDC_ADDRESS_POSTALCODE 1011
#define IDC_ADDRESS_COUNTRY 1012
#define IDC_CATEGORY_OPERATOR 1013
#define IDC_CATEGORY_BAND_LABEL 1117
#define IDC_CATEGORY_BAND 1118
#define IDC_CATEGORY_TRANSMITTER_LABEL 1119
#define IDC_LOCATION_LABEL 1120
#define IDC_LOCATION 1121
#define IDC_CATEGORY_TRANSMITTER 1122

// The assistant window "Setup TORV".
#define IDD_SETUP 111
#define IDC_SETUP_CW 1106
#define IDC_SETUP_AREA 1107
#define IDC_SETUP_CALL 1108
#define IDC_SETUP_SSB 1135

// The plug-in's icon, the large icon of every window.
#define IDI_STATS 110
