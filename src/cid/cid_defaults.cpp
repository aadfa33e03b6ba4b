#include "cid/cid_defaults.h"

#include <cstdio>

namespace morvane {
namespace {

enum Lang { kEn, kHu, kSk, kIt, kCs, kLangCount };

struct DefaultEvent {
    const char* code;
    const char* name[kLangCount];  // en, hu, sk, it, cs
};

// Slovak names are written without diacritics, as on the device's display.
const DefaultEvent kDefaultEvents[kDefaultEventRows] = {
    {"E130", {"Burglary", "Betores", "Vlamanie", "Allarme Furto", "Vloupání"}},
    {"R130", {"Restore Burglary", "Betores visszaallas", "Vlamanie obnova", "Ripristino Furto", "Obnova po vloupání"}},
    {"E140", {"General Alarm", "Riasztas", "Vseobecny poplach", "Allarme Generale", "Obecný poplach"}},
    {"R140", {"Restore General Alarm", "Riasztas visszaallas", "Vseobecny poplach obnova", "Ripristino Allarme Generale", "Obnova po obecném poplachu"}},
    {"E401", {"Open", "Nyitas", "Otvorenie", "Apertura", "Otevření"}},
    {"R401", {"Close", "Zaras", "Zatvorenie", "Chiusura", "Zavření"}},
    {"E300", {"System Trouble", "Altalanos hiba", "Porucha systemu", "Guasto Sistema", "Porucha systému"}},
    {"R300", {"Restore System Trouble", "Altalanos hiba vissza", "Porucha systemu obnova", "Ripristino Guasto Sistema", "Obnova po poruše systému"}},
    {"E301", {"AC Loss", "AC hiba", "Vypadok napajania AC", "Mancanza Rete AC", "Výpadek napájení AC"}},
    {"R301", {"Restore AC Loss", "AC rendben", "Obnova napajania AC", "Ripristino Rete AC", "Obnova napájení AC"}},
    {"E302", {"Low system battery", "Akkumulator hiba", "Slaba bateria systemu", "Batteria Sistema Scarica", "Slabá baterie systému"}},
    {"R302", {"Restore Low system battery", "Akkumulator rendben", "Obnova baterie systemu", "Ripristino Batteria Sistema", "Obnova baterie systému"}},
    {"E120", {"Panic", "Panik riasztas", "Tiesen", "Panico", "Tíseň"}},
    {"R120", {"Restore Panic", "Panik riasztas vége", "Tiesen obnova", "Ripristino Panico", "Obnova po tísni"}},
    {"E101", {"Personal Emergency", "Kezi jelzesado", "Osobna tiesen", "Emergenza Personale", "Osobní tíseň"}},
    {"E110", {"Fire Alarm", "Tuz riasztas", "Poziarny poplach", "Allarme Incendio", "Požární poplach"}},
    {"E118", {"Near Alarm", "Majdnem riasztas", "Takmer poplach", "Preallarme", "Téměř poplach"}},
    {"E136", {"Outdoor", "Kulteri riasztas", "Vonkajsi poplach", "Allarme Esterno", "Venkovní poplach"}},
    {"E137", {"Tamper", "Szabotazs", "Sabotaz", "Manomissione", "Sabotáž"}},
    {"R137", {"Restore Tamper", "Szabotazs visszaallas", "Sabotaz obnova", "Ripristino Manomissione", "Obnova po sabotáži"}},
    {"E146", {"Silent Burglary", "Betores csendes", "Tiche vlamanie", "Furto Silenzioso", "Tiché vloupání"}},
    {"E150", {"24 Hour Non-Burglary", "24h nem betores", "24h zona - nie vlamanie", "24 Ore Non Furto", "24h zóna - ne vloupání"}},
    {"E302", {"Low system battery", "Lemerult akkumulator", "Slaba bateria systemu", "Batteria Sistema Scarica", "Slabá baterie systému"}},
    {"E303", {"RAM Checksum bad", "RAM hiba", "Chyba kontrolneho suctu RAM", "Errore Checksum RAM", "Chybný kontrolní součet RAM"}},
    {"E304", {"ROM Checksum bad", "ROM hiba", "Chyba kontrolneho suctu ROM", "Errore Checksum ROM", "Chybný kontrolní součet ROM"}},
    {"E305", {"System reset", "Rendszer torles (RESET)", "Reset systemu", "Reset Sistema", "Reset systému"}},
    {"E307", {"Self- test failure", "Onellenorzesi hiba", "Chyba autotestu", "Autotest Fallito", "Selhání autotestu"}},
    {"E308", {"System shutdown", "Rendszer leallt", "Vypnutie systemu", "Spegnimento Sistema", "Vypnutí systému"}},
    {"E309", {"Battery test failure", "Akkumulator teszt hiba", "Chyba testu baterie", "Test Batteria Fallito", "Selhání testu baterie"}},
    {"E310", {"Ground fault", "Földhiba", "Zemna porucha", "Guasto Verso Terra", "Zemní porucha"}},
    {"E320", {"Sounder/Relay Trouble", "Hangjelzo hiba", "Porucha sireny/rele", "Guasto Sirena/Rele", "Porucha sirény/relé"}},
    {"E321", {"Bell 1 Trouble", "1. Hangjelzo hiba", "Porucha sireny 1", "Guasto Sirena 1", "Porucha sirény 1"}},
    {"E322", {"Bell 2 Trouble", "2. Hangjelzo hiba", "Porucha sireny 2", "Guasto Sirena 2", "Porucha sirény 2"}},
    {"E323", {"Alarm relay Troubles", "Riasztasi rele hiba", "Porucha poplachoveho rele", "Guasto Rele Allarme", "Porucha poplachového relé"}},
    {"E324", {"Trouble relay Trouble", "Hiba rele", "Porucha poruchoveho rele", "Guasto Rele Guasti", "Porucha poruchového relé"}},
    {"E350", {"Communication trouble", "Kommunikacios hiba", "Porucha komunikacie", "Guasto Comunicazione", "Porucha komunikace"}},
    {"E354", {"Failure to communicate event", "Kommunikacios hiba", "Udalost sa nepodarilo odoslat", "Evento Non Comunicato", "Událost se nepodařilo odeslat"}},
    {"E370", {"Protection loop", "Vedelmi hurok", "Ochranna slucka", "Linea di Protezione", "Ochranná smyčka"}},
    {"E371", {"Protection loop open", "Vedelmi hurok szakadt", "Ochranna slucka prerusena", "Linea di Protezione Aperta", "Ochranná smyčka přerušena"}},
    {"E372", {"Protection loop short", "Vedelmi hurok zarlat", "Ochranna slucka skrat", "Linea di Protezione in Corto", "Ochranná smyčka zkrat"}},
    {"E373", {"Fire trouble", "Tuz hiba", "Porucha poziarnej zony", "Guasto Incendio", "Porucha požární zóny"}},
    {"E374", {"KExit error alarm (zone)", "Kilepesi hiba (zona)", "Chyba odchodu (zona)", "Errore di Uscita (zona)", "Chyba odchodu (zóna)"}},
    {"E380", {"Sensor trouble", "Erzekelo hiba", "Porucha snimaca", "Guasto Sensore", "Porucha čidla"}},
    {"E383", {"Sensor tamper", "Erzekelo szabotazs", "Sabotaz snimaca", "Manomissione Sensore", "Sabotáž čidla"}},
    {"E384", {"RF low battery", "RF ado elem kimerult", "Slaba bateria RF", "Batteria RF Scarica", "Slabá baterie RF"}},
    {"E381", {"Loss of supervision - RF", "RF ado elem kimerult", "Strata dohladu - RF", "Perdita Supervisione - RF", "Ztráta dohledu - RF"}},
    {"E400", {"Open", "Nyitas", "Otvorenie", "Apertura", "Otevření"}},
    {"R400", {"Close", "Zaras", "Zatvorenie", "Chiusura", "Zavření"}},
    {"E402", {"Group open", "Csoport Nyitas", "Otvorenie skupiny", "Apertura Gruppo", "Otevření skupiny"}},
    {"R402", {"Group close", "Csoport Zaras", "Zatvorenie skupiny", "Chiusura Gruppo", "Zavření skupiny"}},
    {"E403", {"Automatic open", "Automatikus Nyitas", "Automaticke otvorenie", "Apertura Automatica", "Automatické otevření"}},
    {"R403", {"Automatic close", "Automatikus Zaras", "Automaticke zatvorenie", "Chiusura Automatica", "Automatické zavření"}},
    {"E404", {"Late to open", "kesoi Nyitas", "Neskore otvorenie", "Apertura in Ritardo", "Pozdní otevření"}},
    {"R404", {"Late to close", "kesoi Zaras", "Neskore zatvorenie", "Chiusura in Ritardo", "Pozdní zavření"}},
    {"E405", {"Deferred open", "Kesleltetet Nyitas", "Odlozene otvorenie", "Apertura Differita", "Odložené otevření"}},
    {"R405", {"Deffered close", "Kesleltetet Zaras", "Odlozene zatvorenie", "Chiusura Differita", "Odložené zavření"}},
    {"E407", {"Remote arm", "Tavelesites", "Vzdialene zakodovanie", "Inserimento Remoto", "Vzdálené zastřežení"}},
    {"R407", {"Remote disarm", "Hatastalanitas (tavoli)", "Vzdialene odkodovanie", "Disinserimento Remoto", "Vzdálené odstřežení"}},
    {"E408", {"Quick arm", "Gyors elesites", "Rychle zakodovanie", "Inserimento Rapido", "Rychlé zastřežení"}},
    {"E409", {"Keyswitch open", "Kulcsos kapcsolo nyitas", "Otvorenie klucovym spinacom", "Apertura con Chiave", "Otevření klíčovým spínačem"}},
    {"R409", {"Keyswitch close", "Kulcsos kapcsolo zaras", "Zatvorenie klucovym spinacom", "Chiusura con Chiave", "Zavření klíčovým spínačem"}},
    {"E411", {"Callback request made", "Visszahivas kerese", "Poziadavka na spatne volanie", "Richiesta di Richiamata", "Požadavek na zpětné volání"}},
    {"E412", {"Successful download/access", "Sikeres letoltes", "Uspesne stiahnutie/pristup", "Download/Accesso Riuscito", "Úspěšné stažení/přístup"}},
    {"E413", {"Unsuccessful access", "Sikertelen taveleres", "Neuspesny pristup", "Accesso Non Riuscito", "Neúspěšný přístup"}},
    {"E414", {"System shutdown command received", "Leallas (taveleres)", "Prijaty prikaz na vypnutie systemu", "Ricevuto Comando Spegnimento Sistema", "Přijat příkaz k vypnutí systému"}},
    {"E415", {"Dialer shutdown command received", "Tavhivo leallas", "Prijaty prikaz na vypnutie komunikatora", "Ricevuto Comando Spegnimento Combinatore", "Přijat příkaz k vypnutí komunikátoru"}},
    {"E421", {"Access denied", "Belepes megtagadva", "Pristup zamietnuty", "Accesso Negato", "Přístup odepřen"}},
    {"E422", {"Access report by user", "Felhasznalo belephet", "Hlasenie pristupu pouzivatelom", "Accesso Segnalato da Utente", "Hlášení přístupu uživatelem"}},
    {"E441", {"Armed STAY", "Otthonleti elesites", "Zakodovanie DOMA", "Inserito in Casa", "Zastřeženo DOMA"}},
    {"E450", {"Exception open", "Kiveteles nyitas", "Vynimocne otvorenie", "Apertura Eccezionale", "Výjimečné otevření"}},
    {"R450", {"Exception close", "Kiveteles zaras", "Vynimocne zatvorenie", "Chiusura Eccezionale", "Výjimečné zavření"}},
    {"E451", {"Early open", "Korai nyitas", "Predcasne otvorenie", "Apertura Anticipata", "Předčasné otevření"}},
    {"R451", {"Early close", "Korai zaras", "Predcasne zatvorenie", "Chiusura Anticipata", "Předčasné zavření"}},
    {"E452", {"Late open", "Kesoi nyitas", "Neskore otvorenie", "Apertura Tardiva", "Pozdní otevření"}},
    {"R452", {"Late close", "Kesoi zaras", "Neskore zatvorenie", "Chiusura Tardiva", "Pozdní zavření"}},
    {"E453", {"Failed to Open", "Nyitas elmaradt", "Neotvorene", "Mancata Apertura", "Neotevřeno"}},
    {"E454", {"Failed to Close", "Zaras elmaradt", "Nezatvorene", "Mancata Chiusura", "Nezavřeno"}},
    {"E455", {"Auto-arm Failed", "Auto elesites sikertelen", "Automaticke zakodovanie zlyhalo", "Inserimento Automatico Fallito", "Automatické zastřežení selhalo"}},
    {"E456", {"Partial Arm", "Reszleges elesites", "Ciastocne zakodovanie", "Inserimento Parziale", "Částečné zastřežení"}},
    {"E457", {"Exit Error (user)", "Kilepesi hiba", "Chyba odchodu (pouzivatel)", "Errore di Uscita (utente)", "Chyba odchodu (uživatel)"}},
    {"E458", {"User on Premises", "Felhasznalo a helyisegben", "Pouzivatel v objekte", "Utente nei Locali", "Uživatel v objektu"}},
    {"E520", {"Sounder/Relay Disable", "hangjelző letiltva", "Sirena/rele vypnute", "Sirena/Rele Disabilitato", "Siréna/relé vypnuto"}},
    {"E521", {"Bell 1 disable", "1. hangjelző letiltva", "Sirena 1 vypnuta", "Sirena 1 Disabilitata", "Siréna 1 vypnuta"}},
    {"E522", {"Bell 2 disable", "2. hangjelző letiltva", "Sirena 2 vypnuta", "Sirena 2 Disabilitata", "Siréna 2 vypnuta"}},
    {"E523", {"Alarm relay disable", "Riasztasi rele letiltva", "Poplachove rele vypnute", "Rele Allarme Disabilitato", "Poplachové relé vypnuto"}},
    {"E524", {"Trouble relay disable", "Hiba rele letiltva", "Poruchove rele vypnute", "Rele Guasti Disabilitato", "Poruchové relé vypnuto"}},
    {"E551", {"Dialer disabled", "Tavhivo letiltva", "Komunikator vypnuty", "Combinatore Disabilitato", "Komunikátor vypnut"}},
    {"E570", {"Zone/Sensor bypass", "Zona athidalva", "Premostenie zony/snimaca", "Esclusione Zona/Sensore", "Přemostění zóny/čidla"}},
    {"E571", {"Fire bypass", "Tuz athidalva", "Premostenie poziarnej zony", "Esclusione Incendio", "Přemostění požární zóny"}},
    {"E572", {"24 Hour zone bypass", "24h zona athidalva", "Premostenie 24h zony", "Esclusione Zona 24 Ore", "Přemostění 24h zóny"}},
    {"E573", {"Burg. Bypass", "Betores athidalva", "Premostenie zabezpecovacej zony", "Esclusione Furto", "Přemostění zabezpečovací zóny"}},
    {"E574", {"Group bypass", "Csoport athidalva", "Premostenie skupiny", "Esclusione Gruppo", "Přemostění skupiny"}},
    {"E602", {"Periodic test report", "Teszt jelentes", "Periodicka testovacia sprava", "Test Periodico", "Periodická testovací zpráva"}},
    {"E608", {"Periodic test - System Trouble", "Teszt jelentes: HIBA", "Periodicky test - porucha systemu", "Test Periodico - Guasto Sistema", "Periodický test - porucha systému"}},
    {"E621", {"Event Log reset", "Esemeny naplo torlese", "Vymazanie zaznamu udalosti", "Cancellazione Memoria Eventi", "Vymazání záznamu událostí"}},
    {"E624", {"Event Log overflow", "Esemeny naplo tulsok", "Pretecenie zaznamu udalosti", "Memoria Eventi Piena", "Přetečení záznamu událostí"}},
    {"E625", {"Time/Date reset", "Ido beallitasa", "Nastavenie casu/datumu", "Reset Ora/Data", "Nastavení času/data"}},
    {"E626", {"Time/Date inaccurate", "Ido pontatlan", "Nepresny cas/datum", "Ora/Data Inesatta", "Nepřesný čas/datum"}},
    {"E627", {"Program mode entry", "Belep PRG modba", "Vstup do programovania", "Ingresso Programmazione", "Vstup do programování"}},
    {"E628", {"Program mode exit", "Kilep PRG modbol", "Vystup z programovania", "Uscita Programmazione", "Výstup z programování"}},
};

// Rows whose code differs by language.
struct CodeVariant {
    int row;
    Lang lang;
    const char* code;
};
constexpr CodeVariant kCodeVariants[] = {
    {46, kHu, "E384"}, {46, kSk, "E384"}, {46, kCs, "E384"},
    {75, kIt, "E452"},
};

Lang EventLanguage(const std::string& code) {
    if (code == "0") return kHu;
    if (code == "3") return kSk;
    if (code == "4") return kIt;
    if (code == "7") return kCs;
    return kEn;
}

Lang ZoneLanguage(const std::string& code) {
    if (code == "1") return kEn;
    if (code == "3") return kSk;
    if (code == "4") return kIt;
    if (code == "7") return kCs;
    return kHu;
}

std::string Format(const char* pattern, int n) {
    char buf[64];
    std::snprintf(buf, sizeof buf, pattern, n);
    return buf;
}

// Zone names by language, each with the row number's placeholder.
struct ZoneNames {
    const char* zone;        // rows 1..15, n = 1..15
    const char* partition2;  // rows 16..19, m = 1..4
    const char* anyPartition;
    const char* anyZone;
};
const ZoneNames kZoneNames[kLangCount] = {
    /* en */ {"Zone %d", "2. partition Zone %02d", "Zone 1 all partition", "All Zone"},
    /* hu */ {"Zona %d", "2. partició Zona %02d", "Zona 1 barmely particiorol", "Egyeb Zona"},
    /* sk */ {"Zona %d", "%d. zona oblasti 2.", "Zona niektorej oblasti", "Dalsie zony"},
    /* it */ {"Zona %d", "2. partizione Zona %02d", "Zona 1 tutte le partizioni", "Altra zona"},
    /* cs */ {"Zona %d", "%d. zóna oblasti 2.", "Zóna některé oblasti", "Další zóny"},
};

}  // namespace

void LoadDefaultEventTable(ContactIdTables& t, const std::string& languageCode) {
    const Lang lang = EventLanguage(languageCode);
    t.events.Clear();
    for (int r = 1; r <= kDefaultEventRows; ++r) {
        const DefaultEvent& e = kDefaultEvents[r - 1];
        t.events[r] = {e.code, e.name[lang]};
    }
    for (const CodeVariant& v : kCodeVariants)
        if (v.lang == lang) t.events[v.row].code = v.code;
}

void LoadDefaultZoneTemplate(ContactIdTables& t, const std::string& languageCode) {
    const ZoneNames& names = kZoneNames[ZoneLanguage(languageCode)];
    t.zones.Clear();
    for (int n = 1; n <= 15; ++n) t.zones[n] = {Format("01%03d", n), Format(names.zone, n)};
    for (int m = 1; m <= 4; ++m) t.zones[15 + m] = {Format("02%03d", m), Format(names.partition2, m)};
    t.zones[20] = {"??001", names.anyPartition};
    t.zones[21] = {"?????", names.anyZone};
}

}  // namespace morvane
