// The built-in demo controller: what `zelto-sim` serves without a fixture.
#include "ZeltoSim.h"

#include <memory>

namespace zeltosim {

namespace {

const char* const kDemo = R"json({
  "name": "Zelto Studio",
  "product": "Zelto Varda",
  "model": "Varda C550",
  "serial": "ZV-550-00123",
  "defaultEncoding": "UTF8",
  "users": [
    {"name": "guest", "password": ""},
    {"name": "admin", "password": "admin"}
  ],
  "dictionary": {
    "WB3_SYSTEM": {"QMVSYSVERNUM": "10", "QMVSYSVER": "10.2 build 5", "VEQ_SIZE_COLUMN_HIDE": "NO"}
  },
  "features": {"ZeltoMorvane": "1", "UTF8_VERSION": "2"},
  "authIds": [{"domain": "STUDIO", "user": "alice", "id": "Studio", "number": 7}],
  "mailboxPasswords": true,
  "scanning": {
    "offered": true,
    "enabled": true,
    "remoteInitiation": true,
    "lockedBy": "NONE",
    "sources": ["ADF", "PLATEN"],
    "pageSizes": ["A4", "LETTER", "A3", "LEGAL", "AUTO_PAGESIZE"],
    "resolutions": ["300", "150", "200", "600"],
    "colorModes": ["COLOR", "GRAYSCALE", "BLACK_WHITE"],
    "orientations": ["PORTRAIT", "LANDSCAPE"],
    "formats": ["PDF", "TIFF", "JPEG", "XPS", "COMPACT_PDF", "COMPACT_XPS"],
    "defaultFormat": "PDF",
    "defaults": {"SCAN_SOURCE": "ADF", "PAGESIZE": "A4", "COLOR_MODE": "COLOR"},
    "duplex": true,
    "mixedPageSize": true,
    "pageDelayMs": 700,
    "adfPages": 3,
    "platenPages": 1
  },
  "mailboxes": [
    {"name": "", "password": "", "jobs": [
      {"name": "Welcome", "pages": 1, "dpi": 300, "ageMinutes": 30,
       "formats": ["PDF", "TIFF", "JPEG", "XPS", "RAW", "COMPACT_PDF", "COMPACT_XPS"]},
      {"name": "Contract draft", "pages": 3, "dpi": 300, "color": false, "ageMinutes": 1500,
       "formats": ["PDF", "TIFF", "XPS", "COMPACT_PDF"]},
      {"name": "Site photos", "pages": 2, "dpi": 300, "ageMinutes": 4320,
       "formats": ["JPEG", "PDF"], "defaultFormat": "JPEG"}
    ]},
    {"name": "Accounting", "password": "1234", "jobs": [
      {"name": "Invoice 2024-117", "pages": 2, "dpi": 300, "color": false, "ageMinutes": 90,
       "formats": ["PDF", "TIFF", "COMPACT_PDF"]},
      {"name": "Receipts March", "pages": 5, "dpi": 300, "ageMinutes": 2880,
       "formats": ["PDF", "TIFF", "XPS", "COMPACT_XPS"]}
    ]},
    {"name": "Studio", "password": "", "jobs": [
      {"name": "Moodboard", "pages": 4, "dpi": 300, "ageMinutes": 600,
       "formats": ["TIFF", "JPEG", "PDF", "RAW"], "defaultFormat": "TIFF"}
    ]}
  ],
  "locales": {
    "en_US": {
      "ADF": "Document feeder", "PLATEN": "Glass",
      "A4": "A4", "LETTER": "Letter", "A3": "A3", "LEGAL": "Legal", "AUTO_PAGESIZE": "Automatic",
      "COLOR": "Colour", "GRAYSCALE": "Grayscale", "BLACK_WHITE": "Black and white",
      "PORTRAIT": "Portrait", "LANDSCAPE": "Landscape",
      "PAPER_JAM": "Paper jam in the document feeder.",
      "COVER_OPEN": "The scanner cover is open.",
      "PageSize": {"A4": "A4 (210 x 297 mm)", "LETTER": "Letter (8.5 x 11 in)", "A3": "A3 (297 x 420 mm)",
                   "LEGAL": "Legal (8.5 x 14 in)", "AUTO_PAGESIZE": "Automatic"}
    },
    "fr_FR": {
      "ADF": "Chargeur de documents", "PLATEN": "Vitre",
      "A4": "A4", "LETTER": "Lettre", "A3": "A3", "LEGAL": "Légal", "AUTO_PAGESIZE": "Automatique",
      "COLOR": "Couleur", "GRAYSCALE": "Niveaux de gris", "BLACK_WHITE": "Noir et blanc",
      "PORTRAIT": "Portrait", "LANDSCAPE": "Paysage",
      "PAPER_JAM": "Bourrage papier dans le chargeur.",
      "COVER_OPEN": "Le capot du scanner est ouvert."
    },
    "de_DE": {
      "ADF": "Vorlageneinzug", "PLATEN": "Glas",
      "A4": "A4", "LETTER": "Letter", "A3": "A3", "LEGAL": "Legal", "AUTO_PAGESIZE": "Automatisch",
      "COLOR": "Farbe", "GRAYSCALE": "Graustufen", "BLACK_WHITE": "Schwarzweiß",
      "PORTRAIT": "Hochformat", "LANDSCAPE": "Querformat",
      "PAPER_JAM": "Papierstau im Vorlageneinzug.",
      "COVER_OPEN": "Die Scannerabdeckung ist offen."
    },
    "ja_JP": {
      "COLOR": "カラー", "GRAYSCALE": "グレースケール", "BLACK_WHITE": "白黒",
      "PAPER_JAM": "原稿送り装置で紙詰まりが発生しました。"
    }
  },
  "defaultLanguage": "en_US"
})json";

}  // namespace

Json::Value DemoFixture() {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(kDemo, kDemo + std::char_traits<char>::length(kDemo), &root, &errors))
        throw FixtureError("demo fixture: " + errors);
    return root;
}

}  // namespace zeltosim
