// Numeric identifiers of the menu, the dialogs and their controls. Included by the resource
// script and by C++ code, so it holds plain #defines only.
#pragma once

#define IDD_PANEL 133
#define IDD_WRITE_POSITION 130

// Menu commands (the menu itself is made from the table in app/menu_commands.cpp).
#define IDM_OPEN 32771
#define IDM_COPY_IMG 32772
#define IDM_COPY_SPRITE 32773
#define IDM_PASTE_SPRITE 32774
#define IDM_COPY_ALL_IMG 32775
#define IDM_PASTE_ALL_IMG 32776
#define IDM_WRITE_IMAGE 32777
#define IDM_WRITE_PALETTE 32778
#define IDM_WRITE_TILE_INFO 32780
#define IDM_WRITE_ALL 32781
#define IDM_UNDO 32782
#define IDM_REDO 32783
#define IDM_EXIT 32784
#define IDM_EXPORT_PATCH 32785
#define IDM_PIXEL_EDITOR 32786
// The View menu (32786 to 32789 are left for View > Pixel Editor and what comes next).
#define IDM_ZOOM_1 32800
#define IDM_ZOOM_2 32801
#define IDM_ZOOM_3 32802
#define IDM_ZOOM_4 32803
#define IDM_PLAY_ANIMATION 32804
#define IDM_SPEED_100 32805
#define IDM_SPEED_150 32806
#define IDM_SPEED_250 32807
#define IDM_SPEED_500 32808

// The pixel editor's own menu.
#define IDM_EDITOR_FLIP_H 32790
#define IDM_EDITOR_FLIP_V 32791
#define IDM_EDITOR_ROTATE 32792
#define IDM_EDITOR_GRID 32793
#define IDM_EDITOR_ZOOM_IN 32794
#define IDM_EDITOR_ZOOM_OUT 32795

// Panel controls.
#define IDC_ENTRY_LIST 1002
#define IDC_ANIMATION_FIELD 1004
#define IDC_INFO_TEXT 1005
#define IDC_WEAPON_FIELD 1006
#define IDC_SEQUENCE_FIELD 1008
#define IDC_IMAGE_FIELD 1011
#define IDC_ANIMATION_RANGE 1012
#define IDC_SEQUENCE_RANGE 1013
#define IDC_ENTRY_LABEL 1014
#define IDC_IMAGE_RANGE 1016
#define IDC_SEQUENCE_RADIO 1017
#define IDC_IMAGE_RADIO 1018
#define IDC_IMAGE_ARROWS 1019
#define IDC_SEQUENCE_ARROWS 1020
#define IDC_ANIMATION_ARROWS 1021
#define IDC_WEAPON_ARROWS 1022
#define IDC_FACE_BUTTON 1023
#define IDC_FRAME_ANCHOR 1025
#define IDC_PALETTE_ANCHOR 1026
#define IDC_SHEET_ANCHOR 1027
#define IDC_BOUNDARIES 1030
#define IDC_BLOCK_BUTTON 1031
#define IDC_PAGE_BUTTON 1032
#define IDC_TABLE_BUTTON 1033
#define IDC_TILE_INFO_TEXT 1044
#define IDC_ED_BUTTON 1045
#define IDC_FLIPX 1046
#define IDC_FLIPY 1047
#define IDC_INFO_LABEL 1048

// Write-position dialog controls.
#define IDC_WRITE_ADDRESS 1032
#define IDC_WRITE_FILE_OFFSET 1034
#define IDC_WRITE_OK 1033
#define IDC_WRITE_CANCEL 1035
