#include "text/error_text.h"

#include <cerrno>
#include <string_view>

namespace trevalda {
namespace {

struct Reason {
  std::errc number;
  std::string_view text;
};

// The reasons a user of this program meets: files, folders, disks, memory,
// pipes.
constexpr Reason kErrnoReasons[] = {
    {std::errc::no_such_file_or_directory, "no existe"},
    {std::errc::permission_denied, "no hay permiso"},
    {std::errc::operation_not_permitted, "la operación no está permitida"},
    {std::errc::too_many_symbolic_link_levels,
     "hay un bucle de enlaces simbólicos (o demasiados enlaces seguidos)"},
    {std::errc::not_a_directory, "una parte de la ruta no es una carpeta"},
    {std::errc::is_a_directory, "es una carpeta"},
    {std::errc::filename_too_long, "el nombre es demasiado largo"},
    {std::errc::file_exists, "ya existe"},
    {std::errc::no_space_on_device, "no queda espacio en el disco"},
    {std::errc::file_too_large, "el archivo pasaría del tamaño máximo permitido"},
    {std::errc::read_only_file_system, "el sistema de archivos es de solo lectura"},
    {std::errc::io_error, "error de entrada/salida"},
    {std::errc::device_or_resource_busy, "está ocupado"},
    {std::errc::text_file_busy, "el archivo está en uso"},
    {std::errc::cross_device_link, "está en otro sistema de archivos"},
    {std::errc::not_enough_memory, "no queda memoria"},
    {std::errc::too_many_files_open, "hay demasiados archivos abiertos"},
    {std::errc::too_many_files_open_in_system, "hay demasiados archivos abiertos en el sistema"},
    {std::errc::bad_file_descriptor, "la salida está cerrada"},
    {std::errc::broken_pipe, "el lector de la tubería la ha cerrado"},
    {std::errc::invalid_argument, "argumento no válido"},
    {std::errc::interrupted, "interrumpido"},
    {std::errc::resource_unavailable_try_again, "el recurso no está disponible ahora"},
    {std::errc::no_such_device_or_address, "el dispositivo no existe"},
    {std::errc::no_such_device, "el dispositivo no existe"},
    {std::errc::invalid_seek, "no admite posicionarse"},
    {std::errc::directory_not_empty, "la carpeta no está vacía"},
};

// Disk quotas have no portable name.
constexpr int kQuotaExceeded =
#ifdef EDQUOT
    EDQUOT;
#else
    -1;
#endif

std::string Numbered(int number) { return "error del sistema [" + std::to_string(number) + "]"; }

}  // namespace

std::optional<std::string> ErrnoText(int number) {
  for (const Reason& reason : kErrnoReasons) {
    if (static_cast<int>(reason.number) == number) return std::string(reason.text);
  }
  if (number == kQuotaExceeded) return "se ha superado la cuota de disco";
  return std::nullopt;
}

std::string ErrorText(const std::error_code& error) {
  if (!error) return {};
  const std::error_category& category = error.category();
  if (category == std::generic_category()) {
    return ErrnoText(error.value()).value_or(Numbered(error.value()));
  }
  if (category == std::system_category()) {
    return SystemErrorText(error.value()).value_or(Numbered(error.value()));
  }
  return error.message();  // the program's own, Spanish
}

}  // namespace trevalda
