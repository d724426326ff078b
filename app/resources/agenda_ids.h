// Identifiers of trevalda-agenda.exe's resources: its two dialogs and their
// controls. Read by the resource script (agenda.rc), the dialog's code and
// the tests that drive the program, so plain macros.
#pragma once

#define IDD_AGENDA 100
#define IDD_AGENDA_DONE 101

// Qué: the range.
#define IDC_AGENDA_FROM 1101
#define IDC_AGENDA_TO 1102
#define IDC_AGENDA_YEAR 1103
// Cómo: the document.
#define IDC_AGENDA_FORMAT 1111
#define IDC_AGENDA_PAPER 1112
#define IDC_AGENDA_BOOKLET 1113
#define IDC_AGENDA_MARGIN 1114
#define IDC_AGENDA_PLANNER 1115
#define IDC_AGENDA_NOTES 1116
#define IDC_AGENDA_NOTES_SPIN 1117
#define IDC_AGENDA_STYLE 1118
#define IDC_AGENDA_HOURS 1119
#define IDC_AGENDA_PLACE 1120
// Contenido: what the pages carry.
#define IDC_AGENDA_HOLIDAYS 1121
#define IDC_AGENDA_DATES 1122
#define IDC_AGENDA_ADD 1123
#define IDC_AGENDA_REMOVE 1124
#define IDC_AGENDA_ZONE 1125
// Dónde: the output folder.
#define IDC_AGENDA_FOLDER 1131
#define IDC_AGENDA_BROWSE 1132
// The run.
#define IDC_AGENDA_PROGRESS 1141
#define IDC_AGENDA_STOP 1142
#define IDC_AGENDA_CREATE 1143
// The box at the end of a run.
#define IDC_AGENDA_DONE_TEXT 1151
#define IDC_AGENDA_OPEN 1152
