#include "calendar/saints.h"

#include <algorithm>
#include <array>
#include <span>

#include "text/cp1252.h"

namespace trevalda {

SaintTableType SaintTable;

namespace {

// The texts, written here in UTF-8 for readability and converted to the
// program's Windows-1252 when the table is filled. Month by month from
// January, each list from day 1.
constexpr std::string_view kJanuary[] = {
    "Santa Maria",
    "San Basilio y Gregorio",
    "Santa Genoveva",
    "San Rigoberto",
    "Santa Amelia",
    "Epifanía del Señor",
    "San Raimundo de Peñafort",
    "San Severino",
    "San Eulogio de Córdoba",
    "San Guillermo",
    "San Higinio",
    "San Victoriano",
    "San Hilario",
    "San Félix",
    "San Mauro",
    "San Marcelo I",
    "San Antonio Abad",
    "Santa Margarita",
    "San Mario",
    "Santos Fabián y Sebastián",
    "Santa Inés",
    "San Vicente",
    "San Ildefonso",
    "San Francisco de Sales",
    "Conv. San Pablo",
    "Santos Timoteo y Tito",
    "Santa Ángela de Mérici",
    "Santo Tomás de Aquino",
    "San Valerio",
    "San Hipolito",
    "San Juan Bosco",
};

constexpr std::string_view kFebruary[] = {
    "San Cecilio",
    "San Fortunato",
    "San Blas",
    "San Gilberto",
    "Santa Águeda",
    "San Pablo Miki",
    "Santos Ricardo Rey y Sergio",
    "San Lucio",
    "San Alejandro",
    "Santa Escolástica",
    "Nuestra Señora de Lourdes",
    "Santa Eulalia",
    "San Benigno",
    "San Valentín",
    "San Saturnino",
    "San Faustino y Santa Juliana",
    "San Alejo (ceniza)",
    "Santos Simeón y Eladio",
    "San Conrado",
    "San Nemesio",
    "San Pedro Damián",
    "Santa Margarita",
    "San Policarpo",
    "San Modesto",
    "San Daniel",
    "San Néstor",
    "San Leandro",
    "Día de Andalucia",
    "San Augusto Chapdelaine",
};

constexpr std::string_view kMarch[] = {
    "San Rosendo",
    "San Pedro de Zúñiga",
    "Santos Emeterio y Celedonio",
    "San Casimiro",
    "San Adrián",
    "San Olegario",
    "Santa Perpetua",
    "San Juan de Dios",
    "Santa Francisca",
    "San Macario",
    "San Eulogio",
    "San Maximiliano",
    "Santos Rodrigo y Salomón",
    "Santa Matilde",
    "Santa Lucrecia",
    "San Heriberto",
    "San Patricio",
    "Santos Cirilo y Narciso",
    "San José",
    "San Leoncio",
    "San Nicolás de Flüe",
    "San Bienvenido",
    "San Toribio",
    "San Agapito",
    "Anunciación del Señor",
    "San Braulio",
    "San Alejandro",
    "San Sixto",
    "San Acacio",
    "San Juan Clímaco",
    "San Benjamin",
};

constexpr std::string_view kApril[] = {
    "San Venancio",
    "San Francisco de Paula",
    "San Pancracio",
    "Día del Pais Vasco",
    "San Vicente Ferrer",
    "San Prudencio",
    "San Juan Bautista de la Salle",
    "San Dionisio",
    "San Hilario",
    "San Ezequiel",
    "San Estanislao",
    "San Julio",
    "Santos Martín y Hermenegildo",
    "San Valeriano",
    "San Telmo",
    "Santa Engracia",
    "San Aniceto",
    "San Perfecto",
    "San Hermógenes",
    "San Teodoro",
    "San Anselmo de Canterbury",
    "San Miles",
    "San Jorge",
    "San Fidel",
    "San Marcos",
    "San Isidoro",
    "Nuestra Señora de Montserrat",
    "San Prudencio",
    "Santa Catalina de Siena",
    "San Pio V",
};

constexpr std::string_view kMay[] = {
    "San Jose Obrero",
    "San Atanasio",
    "Santos Felipe y Santiago el Menor",
    "San Ciriaco",
    "Santa Irene",
    "San Juan Ante Portam Latinam",
    "San Benedicto II",
    "San Víctor",
    "La Ascensión del Señor",
    "Nuestra Señora de los Desamparados",
    "San Fabio",
    "San Pancracio",
    "Nuestra Señora de Fátima",
    "San Matías",
    "San Isidro Labrador",
    "San Simón",
    "San Pascual Bailón",
    "San Venancio",
    "San Celestino",
    "San Bernardino",
    "San Torcuato",
    "San Emilio",
    "San Crispín",
    "Nuestra Señora María Auxiliadora",
    "Santa Magdalena",
    "San Felipe Neri",
    "San Agustín de Canterbury",
    "San Justo",
    "San Máximo",
    "Día de Canarias",
    "Día de Castilla La Mancha",
};

constexpr std::string_view kJune[] = {
    "San Justino",          "San Marcelino",       "San Carlos Lwanga",   "San Alejandro",
    "San Bonifacio",        "San Norberto",        "San Roberto",         "San Fortunato",
    "San Feliciano",        "San Mauricio",        "San Bernabé",         "San Juan de Sahagún",
    "San Antonio de Padua", "Santa Digna",         "Santa María Micaela", "San Quirico",
    "San Ismael",           "San Marcos",          "San Romualdo",        "Santa Florencia",
    "San Luis Gonzaga",     "San Paulino de Nola", "San Jacobo",          "San Juan Bautista",
    "San Guillermo",        "San Pelayo",          "San Cirilo",          "San Ireneo",
    "Santos Pedro y Pablo", "San Marcial",
};

constexpr std::string_view kJuly[] = {
    "Santa Simeon",
    "San Urbano",
    "Santo Tomás",
    "Santa Isabel de Portugal",
    "San Antonio María Zacarías",
    "Santa María de Goretti",
    "San Fermín",
    "Santa Priscila",
    "Santa Veronica",
    "San Cristobal",
    "San Benito",
    "San Juan Gualberto",
    "San Enrique",
    "San Camilo de Lelis",
    "San Buenaventura",
    "Nuestra Señora del Carmen",
    "San Alejo",
    "San Federico",
    "San Arsenio",
    "San Elias",
    "San Lorenzo de Brindis",
    "Santa María Magdalena",
    "Santa Brígida",
    "Santa Cristina",
    "Santiago Apóstol",
    "San Joaquín y Santa Ana",
    "Santa Natalia",
    "Santa Catalina",
    "Santa Marta",
    "San Pedro Crisólogo",
    "San Ignacio de Loyola",
};

constexpr std::string_view kAugust[] = {
    "San Alfonso María de Ligorio",
    "Nuestra Señora de los Ángeles",
    "Santa Lidia",
    "San Juan María Vianney",
    "Nuestra Señora de las Nieves",
    "Transfiguración del Señor",
    "San Cayetano",
    "Santo Domingo de Guzmán",
    "San Secundino",
    "San Lorenzo",
    "Santa Clara",
    "San Julian",
    "Santos Ponciano e Hipólito",
    "San Marcelo",
    "Asunción de la Virgen María ",
    "San Esteban de Hungría",
    "San Jacinto",
    "San Agapito y Santa Elena",
    "San Juan Eudes",
    "San Bernardo",
    "San Pío X",
    "Santa María Reina",
    "Santa Rosa de Lima",
    "San Bartolomé",
    "San José Calasanz",
    "San Simplicio",
    "Santa Mónica",
    "San Agustín",
    "Martirio de San Juan Bautista",
    "Santa Eva",
    "San Ramón Nonnato",
};

constexpr std::string_view kSeptember[] = {
    "San Arturo",
    "Santas Raquel y Sofía",
    "San Gregorio Magno",
    "San Moises",
    "San Victorino",
    "San Zacarías",
    "Santa Regina",
    "Natividad Madre de Dios",
    "San Pedro Claver",
    "San Nicolas",
    "San Jacinto",
    "San Leoncio",
    "San Juan Crisóstomo",
    "Exaltación de la Santa Cruz",
    "Nuestra Señora de los Dolores",
    "Santos Cornelio y Cipriano",
    "San Roberto Belarmino",
    "Santa Sofía",
    "San Jenaro",
    "Santa Susana",
    "San Mateo",
    "San Mauricio",
    "Santa Tecla",
    "Nuestra Señora de la Merced",
    "San Alberto",
    "Santos Cosme y Damián",
    "San Vicente de Paúl",
    "San Wenceslao",
    "Santos Miguel,Gabriel y Rafael Arcángeles",
    "San Jerónimo",
};

constexpr std::string_view kOctober[] = {
    "Santa Teresa del Niño Jesús",
    "Los Santísimos Ángeles Custodios",
    "San Francisco de Borja",
    "San Francisco de Asís",
    "Santos Plácido y Gala",
    "San Bruno",
    "Nuestra Señora del Rosario",
    "San Hugo",
    "San Dionisio",
    "Santo Tomás de Villanueva",
    "Santa Soledad de Torres Acosta",
    "Nuestra Señora del Pilar",
    "San Eduardo",
    "San Calixto I",
    "Santa Teresa de Jesús",
    "Santa Margarita",
    "San Ignacio de Antioquía",
    "San Lucas",
    "San Pedro de Alcántara",
    "San Feliciano",
    "Santa Ursula",
    "Santa María Salomé",
    "San Juan de Capistrano",
    "San Antonio María Claret",
    "San Frutos",
    "San Evaristo",
    "San Vicente",
    "Santos Simón y Judas Tadeo",
    "San Narciso",
    "San Saturnino",
    "Santa Eusebia",
};

constexpr std::string_view kNovember[] = {
    "Todos los Santos",
    "Todos los Fieles Difuntos",
    "San Martín de Porres",
    "San Carlos Borromeo",
    "San Zacarías",
    "San Leonardo",
    "San Florencio",
    "San Segundo",
    "Basilica Letran",
    "San León Magno",
    "San Martín de Tours",
    "San Josafat",
    "Santos Leandro y Estanislao de Kotska",
    "San Demetrio",
    "San Alberto Magno",
    "Santa Gertrudis",
    "Santa Isabel de Hungría",
    "San Odón",
    "San Fausto",
    "San Félix de Valois",
    "Nuestra Señora de la Piedad",
    "Santa Cecilia",
    "San Clemente",
    "Santa Flora",
    "Santa Catalina",
    "San Conrado",
    "San Maximo",
    "San Rufo",
    "San Saturnino",
    "San Andrés",
};

constexpr std::string_view kDecember[] = {
    "San Eloy",
    "Santa Bibiana",
    "San Francisco Javier",
    "Santa Barbara",
    "San Sabas",
    "San Nicolas de Bari",
    "San Ambrosio",
    "Inmaculada Concepción",
    "Santa Leocadia",
    "Nuestra Señora Loreto",
    "San Dámaso",
    "Nuestra Señora de Guadalupe",
    "Santa Lucía",
    "San Juan de la Cruz",
    "San Candido",
    "Santa Adelaida",
    "San Lázaro",
    "Nuestra Señora de la Esperanza",
    "San Urbano V",
    "Santo Domingo de Silos",
    "San Anastasio",
    "San Honorato",
    "San Juan Kety",
    "San Delfin",
    "Natividad del Señor",
    "San Esteban",
    "San Juan Apostol",
    "Santos Inocentes",
    "San David",
    "San Sabino",
    "San Silvestre",
};

constexpr std::array<std::span<const std::string_view>, 12> kSaintsUtf8 = {
    kJanuary, kFebruary, kMarch,     kApril,   kMay,      kJune,
    kJuly,    kAugust,   kSeptember, kOctober, kNovember, kDecember,
};

std::size_t Slot(std::int32_t day, std::int32_t month) {
  return static_cast<std::size_t>(day - 1) +
         static_cast<std::size_t>(month - 1) * SaintTableType::kDays;
}

bool InBounds(std::int32_t day, std::int32_t month) {
  return day >= 1 && day <= SaintTableType::kDays && month >= 1 && month <= SaintTableType::kMonths;
}

}  // namespace

std::string_view SaintTableType::operator()(std::int32_t day, std::int32_t month) const {
  if (texts_.empty() || !InBounds(day, month)) {
    return {};
  }
  return texts_[Slot(day, month)];
}

std::int32_t SaintTableType::StoredCount() const {
  return static_cast<std::int32_t>(
      std::count_if(texts_.begin(), texts_.end(), [](const std::string& s) { return !s.empty(); }));
}

void SaintTableType::Release() {
  texts_.clear();
  texts_.shrink_to_fit();
}

void SaintTableType::Create() {
  Release();
  texts_.resize(std::size_t{kDays} * kMonths);
}

void SaintTableType::Store(std::int32_t day, std::int32_t month, std::string_view text) {
  if (texts_.empty() || !InBounds(day, month)) {
    return;
  }
  texts_[Slot(day, month)] = std::string(text);
}

void FillSaintTable() {
  SaintTable.Create();
  std::int32_t month = 1;
  for (const auto texts : kSaintsUtf8) {
    std::int32_t day = 1;
    for (std::string_view text : texts) {
      SaintTable.Store(day, month, Utf8ToCp1252(text));
      ++day;
    }
    ++month;
  }
}

}  // namespace trevalda
