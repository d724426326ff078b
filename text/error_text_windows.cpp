// The Windows error codes (GetLastError) a user of this program meets.
#include "text/windows_api.h"

#include <string_view>

#include "text/error_text.h"

namespace trevalda {
namespace {

struct Reason {
  DWORD code;
  std::string_view text;
};

constexpr Reason kWindowsReasons[] = {
    {ERROR_FILE_NOT_FOUND, "no existe"},
    {ERROR_PATH_NOT_FOUND, "no existe la carpeta"},
    {ERROR_ACCESS_DENIED, "no hay permiso"},
    {ERROR_SHARING_VIOLATION, "otro programa está usando el archivo"},
    {ERROR_LOCK_VIOLATION, "otro programa tiene bloqueado el archivo"},
    {ERROR_WRITE_PROTECT, "el disco está protegido contra escritura"},
    {ERROR_NOT_READY, "la unidad no está preparada"},
    {ERROR_DISK_FULL, "no queda espacio en el disco"},
    {ERROR_HANDLE_DISK_FULL, "no queda espacio en el disco"},
    {ERROR_FILE_EXISTS, "ya existe"},
    {ERROR_ALREADY_EXISTS, "ya existe"},
    {ERROR_INVALID_NAME, "el nombre no es válido"},
    {ERROR_FILENAME_EXCED_RANGE, "el nombre es demasiado largo"},
    {ERROR_BAD_PATHNAME, "la ruta no es válida"},
    {ERROR_DIRECTORY, "no es una carpeta"},
    {ERROR_NOT_ENOUGH_MEMORY, "no queda memoria"},
    {ERROR_OUTOFMEMORY, "no queda memoria"},
    {ERROR_NO_DATA, "el lector de la tubería la ha cerrado"},
    {ERROR_BROKEN_PIPE, "el lector de la tubería la ha cerrado"},
    {ERROR_INVALID_HANDLE, "la salida está cerrada"},
    {ERROR_BAD_NETPATH, "no se encuentra la ruta de red"},
    {ERROR_NETWORK_ACCESS_DENIED, "la red no da permiso"},
    {ERROR_CANT_RESOLVE_FILENAME, "hay un bucle de enlaces simbólicos"},
    {ERROR_FILE_CORRUPT, "el archivo o el disco están dañados"},
    {ERROR_DISK_CORRUPT, "el archivo o el disco están dañados"},
    {ERROR_CRC, "error de lectura o escritura en el disco"},
    {ERROR_WRITE_FAULT, "error de escritura en el disco"},
    {ERROR_READ_FAULT, "error de lectura en el disco"},
    {ERROR_INVALID_PARAMETER, "argumento no válido"},
    {ERROR_USER_MAPPED_FILE, "el archivo está en uso"},
};

}  // namespace

std::optional<std::string> SystemErrorText(int code) {
  for (const Reason& reason : kWindowsReasons) {
    if (reason.code == static_cast<DWORD>(code)) return std::string(reason.text);
  }
  return std::nullopt;
}

}  // namespace trevalda
