#include "calendar/modern_saints.h"

#include <array>
#include <string>

#include "calendar/holidays.h"
#include "text/cp1252.h"

namespace trevalda {
namespace {

struct SaintEntry {
  std::int16_t day;
  std::int16_t month;
  std::string_view utf8;  // written in UTF-8 for review, converted once
};

// Every day of a leap year, reviewed one by one against the classic table:
// accents after the RAE's rules, "San"/"Santa"/"Santos" agreeing with the
// names, surnames and places spelt in full (Kostka, Letrán, Castilla-La
// Mancha). The days that carried a movable feast in the classic table
// (17 February, 9 May) have the saint of the day. docs/modern-saints.md
// lists every entry that differs from the classic table.
constexpr SaintEntry kSaints[] = {
    // Enero
    {1, 1, "Santa María Madre de Dios"},
    {2, 1, "Santos Basilio y Gregorio"},
    {3, 1, "Santa Genoveva"},
    {4, 1, "San Rigoberto"},
    {5, 1, "Santa Amelia"},
    {6, 1, "Epifanía del Señor"},
    {7, 1, "San Raimundo de Peñafort"},
    {8, 1, "San Severino"},
    {9, 1, "San Eulogio de Córdoba"},
    {10, 1, "San Guillermo"},
    {11, 1, "San Higinio"},
    {12, 1, "San Victoriano"},
    {13, 1, "San Hilario"},
    {14, 1, "San Félix"},
    {15, 1, "San Mauro"},
    {16, 1, "San Marcelo I"},
    {17, 1, "San Antonio Abad"},
    {18, 1, "Santa Margarita"},
    {19, 1, "San Mario"},
    {20, 1, "Santos Fabián y Sebastián"},
    {21, 1, "Santa Inés"},
    {22, 1, "San Vicente"},
    {23, 1, "San Ildefonso"},
    {24, 1, "San Francisco de Sales"},
    {25, 1, "Conversión de San Pablo"},
    {26, 1, "Santos Timoteo y Tito"},
    {27, 1, "Santa Ángela de Mérici"},
    {28, 1, "Santo Tomás de Aquino"},
    {29, 1, "San Valerio"},
    {30, 1, "San Hipólito"},
    {31, 1, "San Juan Bosco"},
    // Febrero
    {1, 2, "San Cecilio"},
    {2, 2, "San Fortunato"},
    {3, 2, "San Blas"},
    {4, 2, "San Gilberto"},
    {5, 2, "Santa Águeda"},
    {6, 2, "San Pablo Miki"},
    {7, 2, "Santos Ricardo, rey, y Sergio"},
    {8, 2, "San Lucio"},
    {9, 2, "San Alejandro"},
    {10, 2, "Santa Escolástica"},
    {11, 2, "Nuestra Señora de Lourdes"},
    {12, 2, "Santa Eulalia"},
    {13, 2, "San Benigno"},
    {14, 2, "San Valentín"},
    {15, 2, "San Saturnino"},
    {16, 2, "San Faustino y Santa Juliana"},
    {17, 2, "San Alejo"},
    {18, 2, "Santos Simeón y Eladio"},
    {19, 2, "San Conrado"},
    {20, 2, "San Nemesio"},
    {21, 2, "San Pedro Damián"},
    {22, 2, "Santa Margarita"},
    {23, 2, "San Policarpo"},
    {24, 2, "San Modesto"},
    {25, 2, "San Daniel"},
    {26, 2, "San Néstor"},
    {27, 2, "San Leandro"},
    {28, 2, "Día de Andalucía"},
    {29, 2, "San Augusto Chapdelaine"},
    // Marzo
    {1, 3, "San Rosendo"},
    {2, 3, "San Pedro de Zúñiga"},
    {3, 3, "Santos Emeterio y Celedonio"},
    {4, 3, "San Casimiro"},
    {5, 3, "San Adrián"},
    {6, 3, "San Olegario"},
    {7, 3, "Santa Perpetua"},
    {8, 3, "San Juan de Dios"},
    {9, 3, "Santa Francisca"},
    {10, 3, "San Macario"},
    {11, 3, "San Eulogio"},
    {12, 3, "San Maximiliano"},
    {13, 3, "Santos Rodrigo y Salomón"},
    {14, 3, "Santa Matilde"},
    {15, 3, "Santa Lucrecia"},
    {16, 3, "San Heriberto"},
    {17, 3, "San Patricio"},
    {18, 3, "Santos Cirilo y Narciso"},
    {19, 3, "San José"},
    {20, 3, "San Leoncio"},
    {21, 3, "San Nicolás de Flüe"},
    {22, 3, "San Bienvenido"},
    {23, 3, "San Toribio"},
    {24, 3, "San Agapito"},
    {25, 3, "Anunciación del Señor"},
    {26, 3, "San Braulio"},
    {27, 3, "San Alejandro"},
    {28, 3, "San Sixto"},
    {29, 3, "San Acacio"},
    {30, 3, "San Juan Clímaco"},
    {31, 3, "San Benjamín"},
    // Abril
    {1, 4, "San Venancio"},
    {2, 4, "San Francisco de Paula"},
    {3, 4, "San Pancracio"},
    {4, 4, "Día del País Vasco"},
    {5, 4, "San Vicente Ferrer"},
    {6, 4, "San Prudencio"},
    {7, 4, "San Juan Bautista de la Salle"},
    {8, 4, "San Dionisio"},
    {9, 4, "San Hilario"},
    {10, 4, "San Ezequiel"},
    {11, 4, "San Estanislao"},
    {12, 4, "San Julio"},
    {13, 4, "Santos Martín y Hermenegildo"},
    {14, 4, "San Valeriano"},
    {15, 4, "San Telmo"},
    {16, 4, "Santa Engracia"},
    {17, 4, "San Aniceto"},
    {18, 4, "San Perfecto"},
    {19, 4, "San Hermógenes"},
    {20, 4, "San Teodoro"},
    {21, 4, "San Anselmo de Canterbury"},
    {22, 4, "San Miles"},
    {23, 4, "San Jorge"},
    {24, 4, "San Fidel"},
    {25, 4, "San Marcos"},
    {26, 4, "San Isidoro"},
    {27, 4, "Nuestra Señora de Montserrat"},
    {28, 4, "San Prudencio"},
    {29, 4, "Santa Catalina de Siena"},
    {30, 4, "San Pío V"},
    // Mayo
    {1, 5, "San José Obrero"},
    {2, 5, "San Atanasio"},
    {3, 5, "Santos Felipe y Santiago el Menor"},
    {4, 5, "San Ciriaco"},
    {5, 5, "Santa Irene"},
    {6, 5, "San Juan Ante Portam Latinam"},
    {7, 5, "San Benedicto II"},
    {8, 5, "San Víctor"},
    {9, 5, "San Gregorio Ostiense"},
    {10, 5, "Nuestra Señora de los Desamparados"},
    {11, 5, "San Fabio"},
    {12, 5, "San Pancracio"},
    {13, 5, "Nuestra Señora de Fátima"},
    {14, 5, "San Matías"},
    {15, 5, "San Isidro Labrador"},
    {16, 5, "San Simón"},
    {17, 5, "San Pascual Bailón"},
    {18, 5, "San Venancio"},
    {19, 5, "San Celestino"},
    {20, 5, "San Bernardino"},
    {21, 5, "San Torcuato"},
    {22, 5, "San Emilio"},
    {23, 5, "San Crispín"},
    {24, 5, "María Auxiliadora"},
    {25, 5, "Santa Magdalena"},
    {26, 5, "San Felipe Neri"},
    {27, 5, "San Agustín de Canterbury"},
    {28, 5, "San Justo"},
    {29, 5, "San Máximo"},
    {30, 5, "Día de Canarias"},
    {31, 5, "Día de Castilla-La Mancha"},
    // Junio
    {1, 6, "San Justino"},
    {2, 6, "San Marcelino"},
    {3, 6, "San Carlos Lwanga"},
    {4, 6, "San Alejandro"},
    {5, 6, "San Bonifacio"},
    {6, 6, "San Norberto"},
    {7, 6, "San Roberto"},
    {8, 6, "San Fortunato"},
    {9, 6, "San Feliciano"},
    {10, 6, "San Mauricio"},
    {11, 6, "San Bernabé"},
    {12, 6, "San Juan de Sahagún"},
    {13, 6, "San Antonio de Padua"},
    {14, 6, "Santa Digna"},
    {15, 6, "Santa María Micaela"},
    {16, 6, "San Quirico"},
    {17, 6, "San Ismael"},
    {18, 6, "San Marcos"},
    {19, 6, "San Romualdo"},
    {20, 6, "Santa Florencia"},
    {21, 6, "San Luis Gonzaga"},
    {22, 6, "San Paulino de Nola"},
    {23, 6, "San Jacobo"},
    {24, 6, "San Juan Bautista"},
    {25, 6, "San Guillermo"},
    {26, 6, "San Pelayo"},
    {27, 6, "San Cirilo"},
    {28, 6, "San Ireneo"},
    {29, 6, "Santos Pedro y Pablo"},
    {30, 6, "San Marcial"},
    // Julio
    {1, 7, "San Simeón"},
    {2, 7, "San Urbano"},
    {3, 7, "Santo Tomás"},
    {4, 7, "Santa Isabel de Portugal"},
    {5, 7, "San Antonio María Zacarías"},
    {6, 7, "Santa María de Goretti"},
    {7, 7, "San Fermín"},
    {8, 7, "Santa Priscila"},
    {9, 7, "Santa Verónica"},
    {10, 7, "San Cristóbal"},
    {11, 7, "San Benito"},
    {12, 7, "San Juan Gualberto"},
    {13, 7, "San Enrique"},
    {14, 7, "San Camilo de Lelis"},
    {15, 7, "San Buenaventura"},
    {16, 7, "Nuestra Señora del Carmen"},
    {17, 7, "San Alejo"},
    {18, 7, "San Federico"},
    {19, 7, "San Arsenio"},
    {20, 7, "San Elías"},
    {21, 7, "San Lorenzo de Brindis"},
    {22, 7, "Santa María Magdalena"},
    {23, 7, "Santa Brígida"},
    {24, 7, "Santa Cristina"},
    {25, 7, "Santiago Apóstol"},
    {26, 7, "Santos Joaquín y Ana"},
    {27, 7, "Santa Natalia"},
    {28, 7, "Santa Catalina"},
    {29, 7, "Santa Marta"},
    {30, 7, "San Pedro Crisólogo"},
    {31, 7, "San Ignacio de Loyola"},
    // Agosto
    {1, 8, "San Alfonso María de Ligorio"},
    {2, 8, "Nuestra Señora de los Ángeles"},
    {3, 8, "Santa Lidia"},
    {4, 8, "San Juan María Vianney"},
    {5, 8, "Nuestra Señora de las Nieves"},
    {6, 8, "Transfiguración del Señor"},
    {7, 8, "San Cayetano"},
    {8, 8, "Santo Domingo de Guzmán"},
    {9, 8, "San Secundino"},
    {10, 8, "San Lorenzo"},
    {11, 8, "Santa Clara"},
    {12, 8, "San Julián"},
    {13, 8, "Santos Ponciano e Hipólito"},
    {14, 8, "San Marcelo"},
    {15, 8, "Asunción de la Virgen María"},
    {16, 8, "San Esteban de Hungría"},
    {17, 8, "San Jacinto"},
    {18, 8, "San Agapito y Santa Elena"},
    {19, 8, "San Juan Eudes"},
    {20, 8, "San Bernardo"},
    {21, 8, "San Pío X"},
    {22, 8, "Santa María Reina"},
    {23, 8, "Santa Rosa de Lima"},
    {24, 8, "San Bartolomé"},
    {25, 8, "San José Calasanz"},
    {26, 8, "San Simplicio"},
    {27, 8, "Santa Mónica"},
    {28, 8, "San Agustín"},
    {29, 8, "Martirio de San Juan Bautista"},
    {30, 8, "Santa Eva"},
    {31, 8, "San Ramón Nonnato"},
    // Septiembre
    {1, 9, "San Arturo"},
    {2, 9, "Santas Raquel y Sofía"},
    {3, 9, "San Gregorio Magno"},
    {4, 9, "San Moisés"},
    {5, 9, "San Victorino"},
    {6, 9, "San Zacarías"},
    {7, 9, "Santa Regina"},
    {8, 9, "Natividad de la Virgen María"},
    {9, 9, "San Pedro Claver"},
    {10, 9, "San Nicolás"},
    {11, 9, "San Jacinto"},
    {12, 9, "San Leoncio"},
    {13, 9, "San Juan Crisóstomo"},
    {14, 9, "Exaltación de la Santa Cruz"},
    {15, 9, "Nuestra Señora de los Dolores"},
    {16, 9, "Santos Cornelio y Cipriano"},
    {17, 9, "San Roberto Belarmino"},
    {18, 9, "Santa Sofía"},
    {19, 9, "San Jenaro"},
    {20, 9, "Santa Susana"},
    {21, 9, "San Mateo"},
    {22, 9, "San Mauricio"},
    {23, 9, "Santa Tecla"},
    {24, 9, "Nuestra Señora de la Merced"},
    {25, 9, "San Alberto"},
    {26, 9, "Santos Cosme y Damián"},
    {27, 9, "San Vicente de Paúl"},
    {28, 9, "San Wenceslao"},
    {29, 9, "Santos Miguel, Gabriel y Rafael, arcángeles"},
    {30, 9, "San Jerónimo"},
    // Octubre
    {1, 10, "Santa Teresa del Niño Jesús"},
    {2, 10, "Santos Ángeles Custodios"},
    {3, 10, "San Francisco de Borja"},
    {4, 10, "San Francisco de Asís"},
    {5, 10, "Santos Plácido y Gala"},
    {6, 10, "San Bruno"},
    {7, 10, "Nuestra Señora del Rosario"},
    {8, 10, "San Hugo"},
    {9, 10, "San Dionisio"},
    {10, 10, "Santo Tomás de Villanueva"},
    {11, 10, "Santa Soledad de Torres Acosta"},
    {12, 10, "Nuestra Señora del Pilar"},
    {13, 10, "San Eduardo"},
    {14, 10, "San Calixto I"},
    {15, 10, "Santa Teresa de Jesús"},
    {16, 10, "Santa Margarita"},
    {17, 10, "San Ignacio de Antioquía"},
    {18, 10, "San Lucas"},
    {19, 10, "San Pedro de Alcántara"},
    {20, 10, "San Feliciano"},
    {21, 10, "Santa Úrsula"},
    {22, 10, "Santa María Salomé"},
    {23, 10, "San Juan de Capistrano"},
    {24, 10, "San Antonio María Claret"},
    {25, 10, "San Frutos"},
    {26, 10, "San Evaristo"},
    {27, 10, "San Vicente"},
    {28, 10, "Santos Simón y Judas Tadeo"},
    {29, 10, "San Narciso"},
    {30, 10, "San Saturnino"},
    {31, 10, "Santa Eusebia"},
    // Noviembre
    {1, 11, "Todos los Santos"},
    {2, 11, "Conmemoración de los Fieles Difuntos"},
    {3, 11, "San Martín de Porres"},
    {4, 11, "San Carlos Borromeo"},
    {5, 11, "San Zacarías"},
    {6, 11, "San Leonardo"},
    {7, 11, "San Florencio"},
    {8, 11, "San Segundo"},
    {9, 11, "Dedicación de la Basílica de Letrán"},
    {10, 11, "San León Magno"},
    {11, 11, "San Martín de Tours"},
    {12, 11, "San Josafat"},
    {13, 11, "Santos Leandro y Estanislao de Kostka"},
    {14, 11, "San Demetrio"},
    {15, 11, "San Alberto Magno"},
    {16, 11, "Santa Gertrudis"},
    {17, 11, "Santa Isabel de Hungría"},
    {18, 11, "San Odón"},
    {19, 11, "San Fausto"},
    {20, 11, "San Félix de Valois"},
    {21, 11, "Nuestra Señora de la Piedad"},
    {22, 11, "Santa Cecilia"},
    {23, 11, "San Clemente"},
    {24, 11, "Santa Flora"},
    {25, 11, "Santa Catalina"},
    {26, 11, "San Conrado"},
    {27, 11, "San Máximo"},
    {28, 11, "San Rufo"},
    {29, 11, "San Saturnino"},
    {30, 11, "San Andrés"},
    // Diciembre
    {1, 12, "San Eloy"},
    {2, 12, "Santa Bibiana"},
    {3, 12, "San Francisco Javier"},
    {4, 12, "Santa Bárbara"},
    {5, 12, "San Sabas"},
    {6, 12, "San Nicolás de Bari"},
    {7, 12, "San Ambrosio"},
    {8, 12, "Inmaculada Concepción"},
    {9, 12, "Santa Leocadia"},
    {10, 12, "Nuestra Señora de Loreto"},
    {11, 12, "San Dámaso"},
    {12, 12, "Nuestra Señora de Guadalupe"},
    {13, 12, "Santa Lucía"},
    {14, 12, "San Juan de la Cruz"},
    {15, 12, "San Cándido"},
    {16, 12, "Santa Adelaida"},
    {17, 12, "San Lázaro"},
    {18, 12, "Nuestra Señora de la Esperanza"},
    {19, 12, "San Urbano V"},
    {20, 12, "Santo Domingo de Silos"},
    {21, 12, "San Anastasio"},
    {22, 12, "San Honorato"},
    {23, 12, "San Juan de Kety"},
    {24, 12, "San Delfín"},
    {25, 12, "Natividad del Señor"},
    {26, 12, "San Esteban"},
    {27, 12, "San Juan Apóstol"},
    {28, 12, "Santos Inocentes"},
    {29, 12, "San David"},
    {30, 12, "San Sabino"},
    {31, 12, "San Silvestre"},
};

constexpr std::string_view kWeekdaysUtf8[] = {"Lunes",   "Martes", "Miércoles", "Jueves",
                                              "Viernes", "Sábado", "Domingo"};

constexpr MovableFeast kMovableFeasts[] = {
    {-46, "Miércoles de Ceniza"},   {-7, "Domingo de Ramos"},    {-3, "Jueves Santo"},
    {0, "Domingo de Resurrección"}, {39, "Ascensión del Señor"}, {49, "Pentecostés"},
    {60, "Corpus Christi"},
};

constexpr std::size_t kDays = 31;
constexpr std::size_t kMonths = 12;

// The tables in Windows-1252, made on first use.
struct Texts {
  std::array<std::string, kDays * kMonths> saints;
  std::array<std::string, 7> weekdays;
  std::array<std::string, std::size(kMovableFeasts)> feasts;
};

const Texts& Converted() {
  static const Texts texts = [] {
    Texts made;
    for (const SaintEntry& entry : kSaints) {
      made.saints[static_cast<std::size_t>(entry.month - 1) * kDays +
                  static_cast<std::size_t>(entry.day - 1)] = Utf8ToCp1252(entry.utf8);
    }
    for (std::size_t i = 0; i < made.weekdays.size(); ++i) {
      made.weekdays[i] = Utf8ToCp1252(kWeekdaysUtf8[i]);
    }
    for (std::size_t i = 0; i < made.feasts.size(); ++i) {
      made.feasts[i] = Utf8ToCp1252(kMovableFeasts[i].utf8Name);
    }
    return made;
  }();
  return texts;
}

}  // namespace

std::string_view ModernWeekdayName(std::int32_t weekday) {
  if (weekday < 1 || weekday > 7) return {};
  return Converted().weekdays[static_cast<std::size_t>(weekday - 1)];
}

std::string_view ModernSaint(std::int32_t day, std::int32_t month) {
  if (day < 1 || day > static_cast<std::int32_t>(kDays) || month < 1 ||
      month > static_cast<std::int32_t>(kMonths)) {
    return {};
  }
  return Converted()
      .saints[static_cast<std::size_t>(month - 1) * kDays + static_cast<std::size_t>(day - 1)];
}

std::span<const MovableFeast> MovableFeasts() { return kMovableFeasts; }

std::string_view MovableFeastOn(const PageDate& date) {
  if (!IsValidPageDate(date)) return {};
  const std::int32_t offset = DaySerial(date) - DaySerial(EasterSunday(date.year));
  for (std::size_t i = 0; i < std::size(kMovableFeasts); ++i) {
    if (kMovableFeasts[i].easterOffset == offset) return Converted().feasts[i];
  }
  return {};
}

std::string_view ModernDayLine(const PageDate& date) {
  const std::string_view feast = MovableFeastOn(date);
  return feast.empty() ? ModernSaint(date.day, date.month) : feast;
}

}  // namespace trevalda
