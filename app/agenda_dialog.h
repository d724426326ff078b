// trevalda-agenda.exe: the agenda dialog ("Trevalda - Agenda"), the Windows
// front end for ranges, formats, paper, the page's style and extra pages,
// holidays and dates files.
//
// The dialog's controls become an AgendaSettings (app/agenda_settings.h),
// the settings the command line's arguments, and those go through the
// command line's own parser and job (app/cli_options.h, app/agenda_job.h):
// what a choice means, and which choices go together, is decided there
// only. "Crear" runs the job on a worker thread with a progress bar and
// "Cancelar" (which stops it before the next page: finished pages stay, no
// temporary file is left). The outcome is a box naming the file or folder,
// with "Abrir" and "Cerrar", or an error box with the command line's text.
//
// The choices are read at start from AgendaSettingsFile() and written back
// after every run.
#pragma once

#include "text/windows_api.h"

#include <filesystem>

namespace trevalda {

// %APPDATA%\Trevalda\agenda.ini; empty when the system names no such folder.
std::filesystem::path AgendaSettingsFile();

// Shows the dialog until the user closes it (a run in progress is stopped
// first). Returns 0.
int ShowAgendaDialog(HINSTANCE instance);

}  // namespace trevalda
