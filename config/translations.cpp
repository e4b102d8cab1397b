#include "config/translations.h"

namespace zandrel {

const std::array<const char*, kUiStringCount> gGermanTexts = {
    "Eine neuere Version * von Zandrel steht zum Download bereit",  // 0
    "Über",  // 1
    "Über Zandrel",  // 2
    "Hinzufügen",  // 3
    "Dateien hinzufügen",  // 4
    "Dateien/Ordner zur Liste hinzufügen",  // 5
    "Ordner hinzufügen",  // 6
    "Algorithmus",  // 7
    "Alle Dateien",  // 8
    "Bytes",  // 9
    "CRC32",  // 10
    "Nach Updates suchen",  // 11
    "Dateien werden geprüft",  // 12
    "Alles löschen",  // 13
    "Alle Einträge aus der Liste entfernen",  // 14
    "Liste leeren",  // 15
    "Inhalt in die Zwischenablage kopiert",  // 16
    "Kopieren",  // 17
    "Kopieren",  // 18
    "Dateien werden kopiert",  // 19
    "Datei * konnte nicht importiert werden",  // 20
    "Die Datei konnte nicht gespeichert werden",  // 21
    "Die Einstellungen konnten nicht erfolgreich gespeichert werden",  // 22: no path in German
    "Löschen",  // 23
    "Alle Einträge löschen?",  // 24
    "Einträge löschen",  // 25
    "Möchten Sie die ausgewählten Dateien wirklich löschen?",  // 26
    "Möchten Sie alle Einträge aus der Liste löschen?",  // 27
    "Möchten Sie die ausgewählten Einträge aus der Liste löschen?",  // 28
    "Möchten Sie die aktuelle Konfiguration speichern?",  // 29
    "Jetzt herunterladen",  // 30
    "Fehler",  // 31
    "Dateien dieser Größen ausschließen",  // 32
    "Dateien mit diesen Endungen ausschließen",  // 33
    "Exportieren",  // 34
    "Endungen durch Leerzeichen getrennt. Beispiel: txt doc jpg",  // 35
    "Datei",  // 36
    "Dateiendungen:",  // 37
    "Datei gespeichert",  // 38
    "Dateitypen",  // 39
    "Dateiname",  // 40
    "Dateien",  // 41
    "Dateien und Ordner",  // 42
    "Dateigröße",  // 43
    "Ordner",  // 44
    "Gruppe",  // 45
    "Importieren",  // 46
    "Wird importiert",  // 47
    "Information",  // 48
    "Auswahl umkehren",  // 49
    "Sprache",  // 50
    "Sprachdateien",  // 51
    "MD5",  // 52
    "Das Maximum darf nicht kleiner als das Minimum sein",  // 53
    "Maximum:",  // 54
    "Minimum:",  // 55
    "Verschieben",  // 56
    "Dateien werden verschoben",  // 57
    "Keine Duplikate gefunden.",  // 58
    "Keine Dateien/Ordner ausgewählt",  // 59
    "Keine Einschränkung",  // 60
    "Öffnen",  // 61
    "Datei öffnen",  // 62
    "Optionen",  // 63
    "Einfügen",  // 64
    "Pause",  // 65
    "Bitte wählen Sie einen Zielordner",  // 66
    "Fortschritt",  // 67
    "Beenden",  // 68
    "Entfernen",  // 69
    "Ausgewählte Einträge aus der Liste entfernen",  // 70
    "Dateien werden gelöscht",  // 71
    "Reset",  // 72
    "Alle Einstellungen zurücksetzen?",  // 73
    "Ergebnisse",  // 74
    "Fortsetzen",  // 75
    "Auswahl aufheben",  // 76: the button unchecks every row
    "SHA1",  // 77
    "Speichern",  // 78
    "Konfiguration speichern",  // 79
    "Aktuelle Konfiguration speichern",  // 80
    "Datei speichern unter",  // 81
    "Übersetzung speichern",  // 82
    nullptr,  // 83
    "Nur Dateien dieser Größen suchen",  // 84
    "Nur Dateien mit diesen Endungen suchen",  // 85
    "Versteckte Dateien einbeziehen",  // 86
    "Suchorte",  // 87
    "Unterordner durchsuchen",  // 88
    "Systemdateien einbeziehen",  // 89
    "Ordner auswählen",  // 90
    "Geben Sie eine positive Zahl ein (größer als 0)",  // 91
    "Alle auswählen",  // 92
    "Duplikate auswählen",  // 93
    "Dateien auswählen",  // 94
    "Größe",  // 95
    "Größe in Bytes",  // 96
    "Suche starten",  // 97
    "Stop",  // 98
    "Die folgenden Dateien konnten nicht kopiert werden.",  // 99
    "Die folgenden Dateien konnten nicht verschoben werden.",  // 100
    "Die folgenden Dateien konnten nicht gelöscht werden.",  // 101
    "Die Einstellungen wurden erfolgreich gespeichert",  // 102
    "Übersetzen",  // 103
    "Übersetzung",  // 104
    "Es konnte nicht nach Updates gesucht werden",  // 105
    "Website besuchen",  // 106
    "Webseite",  // 107
    "Sie haben bereits die neueste Version",  // 108
};

const std::array<const char*, kUiStringCount> gItalianTexts = {
    "\xEF\xBB\xBF" "Una nuova versione * di Zandrel è disponibile per il Download",  // 0: leads with U+FEFF
    "Informazioni",  // 1
    "Informazioni su Zandrel",  // 2
    "Aggiungi",  // 3
    "Aggiungi file",  // 4
    "Aggiungi file/cartelle all'elenco",  // 5
    "Aggiungi cartella",  // 6
    "Algoritmo",  // 7
    "Tutti i file",  // 8
    "Byte",  // 9
    "CRC32",  // 10
    "Controlla aggiornamenti",  // 11
    "Controllo dei file",  // 12
    "Cancella",  // 13
    "Rimuovi tutti gli elementi dall'elenco",  // 14
    "Svuota elenco",  // 15
    "Contenuto copiato negli appunti",  // 16
    "Copia",  // 17
    "Copiato negli appunti",  // 18
    "Copia dei file in corso",  // 19
    "Impossibile importare file *",  // 20
    "Impossibile salvare il file",  // 21
    "Impossibile salvare le impostazioni in *",  // 22
    "Elimina",  // 23
    "Eliminare tutti gli elementi?",  // 24
    "Elimina elementi",  // 25
    "Eliminare davvero i file selezionati?",  // 26
    "Eliminare tutti gli elementi dall'elenco?",  // 27
    "Eliminare gli elementi selezionati dall'elenco?",  // 28
    "Salvare la configurazione corrente?",  // 29
    "Scarica ora",  // 30
    "Errore",  // 31
    "Escludi file di queste dimensioni",  // 32
    "Escludi file con queste estensioni",  // 33
    "Esporta",  // 34
    "Estensioni separate da spazio. Esempio: txt doc jpg",  // 35
    "File",  // 36
    "Estensioni file:",  // 37
    "File salvato",  // 38
    "Tipi di file",  // 39
    "Nome file",  // 40
    "File",  // 41: Italian "file" has no plural
    "File e cartelle",  // 42
    "Dimensione file",  // 43
    "Cartella",  // 44
    "Gruppo",  // 45
    "Importa",  // 46
    "Importazione in corso",  // 47
    "Informazione",  // 48
    "Inverti selezione",  // 49
    "Lingua",  // 50
    "File di lingua",  // 51
    "MD5",  // 52
    "Il massimo non può essere inferiore al minimo",  // 53
    "Massimo:",  // 54
    "Minimo:",  // 55
    "Sposta",  // 56
    "Spostamento dei file in corso",  // 57
    "Nessun duplicato trovato.",  // 58
    "Nessun file/cartella selezionato",  // 59
    "Nessuna limitazione",  // 60
    "Apri",  // 61
    "Apri file",  // 62
    "Opzioni",  // 63
    "Incolla",  // 64
    "Pausa",  // 65
    "Scegli una cartella di destinazione",  // 66
    "Avanzamento",  // 67
    "Esci",  // 68
    "Rimuovi",  // 69
    "Rimuovi gli elementi selezionati dall'elenco",  // 70
    "Eliminazione dei file in corso",  // 71
    "Azzera",  // 72
    "Azzerare tutte le entrate?",  // 73
    "Risultati",  // 74
    "Riprendi",  // 75
    "Annulla selezione",  // 76: the button unchecks every row
    "SHA1",  // 77
    "Salva",  // 78
    "Salva configurazione",  // 79
    "Salva la configurazione corrente",  // 80
    "Salva file con nome",  // 81
    "Salva traduzione",  // 82
    nullptr,  // 83
    "Cerca solo file di queste dimensioni",  // 84
    "Cerca solo file con queste estensioni",  // 85
    "Includi file nascosti",  // 86
    "Percorsi di ricerca",  // 87
    "Cerca nelle sottocartelle",  // 88
    "Includi file di sistema",  // 89
    "Seleziona una cartella",  // 90
    "Inserisci un numero positivo (maggiore di 0)",  // 91
    "Seleziona tutto",  // 92
    "Seleziona duplicati",  // 93
    "Seleziona file",  // 94
    "Dimensione",  // 95
    "Dimensione in byte",  // 96
    "Avvia ricerca",  // 97
    "Stop",  // 98
    "Impossibile copiare i seguenti file.",  // 99
    "Impossibile spostare i seguenti file.",  // 100
    "Impossibile eliminare i seguenti file.",  // 101
    "Le impostazioni sono state salvate correttamente",  // 102
    "Traduci",  // 103
    "Traduzione",  // 104
    "Impossibile controllare gli aggiornamenti",  // 105
    "Visita il sito web",  // 106
    "Sito web",  // 107
    "Hai già la versione più recente",  // 108
};

const std::array<const char*, kUiStringCount> gBulgarianTexts = {
    "Нова версия * на Zandrel е налична за изтегляне",  // 0
    "Относно",  // 1
    "За Zandrel",  // 2
    "Добави",  // 3
    "Добави файлове",  // 4
    "Добави файлове/папки към списъка",  // 5
    "Добави папка",  // 6
    "Алгоритъм",  // 7
    "Всички файлове",  // 8
    "байта",  // 9
    "CRC32",  // 10
    "Провери за обновления",  // 11
    "Проверка на файловете",  // 12
    "Изчисти",  // 13
    "Изчисти всички елементи от списъка",  // 14
    "Изчисти списъка",  // 15
    "Съдържанието е копирано в клипборда",  // 16
    "Копирай",  // 17
    "Копирай в клипборд",  // 18
    "Копиране на файловете",  // 19
    "Не мога да внеса файл *",  // 20
    "Не мога да запазя файла",  // 21
    "Не мога да запазя настройките в *",  // 22
    "Изтрий",  // 23
    "Изтриване на всички елементи?",  // 24
    "Изтриване на елементи",  // 25
    "Наистина ли искате да изтриете избраните файлове?",  // 26
    "Искате ли да изтриете всички елементи от списъка?",  // 27
    "Искате ли да изтриете избраните елементи от списъка?",  // 28
    "Искате ли да запазите текущата конфигурация?",  // 29
    "Изтегли сега",  // 30
    "Грешка",  // 31
    "Изключи файлове с тези размери",  // 32
    "Изключи файлове с тези разширения",  // 33
    "Изнеси",  // 34
    "Разширения, разделени с интервал. Пример: txt doc jpg",  // 35
    "Файл",  // 36
    "Разширения:",  // 37: a narrow place beside its field
    "Файлът е запазен",  // 38
    "Типове файлове",  // 39
    "Име на файл",  // 40
    "Файлове",  // 41
    "Файлове и папки",  // 42
    "Размер на файловете",  // 43
    "Папка",  // 44
    "Група",  // 45
    "Внеси",  // 46
    "Внасяне",  // 47
    "Информация",  // 48
    "Обърни селекцията",  // 49
    "Език",  // 50
    "Езикови файлове",  // 51
    "MD5",  // 52
    "Максимумът не може да бъде по-малък от минимума",  // 53
    "Максимум:",  // 54
    "Минимум:",  // 55
    "Премести",  // 56
    "Преместване на файловете",  // 57
    "Не са открити дубликати.",  // 58
    "Няма избрани файлове/папки",  // 59
    "Без ограничение",  // 60
    "Отвори",  // 61
    "Отвори файл",  // 62
    "Опции",  // 63
    "Постави",  // 64
    "Пауза",  // 65
    "Моля, изберете целева папка",  // 66
    "Напредък",  // 67
    "Изход",  // 68
    "Премахни",  // 69
    "Премахни избраните елементи от списъка",  // 70
    "Изтриване на файловете",  // 71
    "Нулирай",  // 72
    "Нулиране на всички записи?",  // 73
    "Резултати",  // 74
    "Продължи",  // 75
    "Отмени селекция",  // 76: the button unchecks every row
    "SHA1",  // 77
    "Запази",  // 78
    "Запазване на конфигурацията",  // 79
    "Запази текущата конфигурация",  // 80
    "Запази файла като",  // 81
    "Запази превода",  // 82
    nullptr,  // 83
    "Търси само файлове с тези размери",  // 84
    "Търси само файлове с тези разширения",  // 85
    "Включи скритите файлове",  // 86
    "Места за търсене",  // 87
    "Търси в подпапките",  // 88
    "Включи системните файлове",  // 89
    "Изберете папка",  // 90
    "Въведете положително число (по-голямо от 0)",  // 91
    "Избери всички",  // 92
    "Избери дубликати",  // 93
    "Избери файлове",  // 94
    "Размер",  // 95
    "Размер в байтове",  // 96
    "Започни търсене",  // 97
    "Спри",  // 98
    "Следните файлове не можаха да бъдат копирани.",  // 99
    "Следните файлове не можаха да бъдат преместени.",  // 100
    "Следните файлове не можаха да бъдат изтрити.",  // 101
    "Настройките са запазени успешно",  // 102
    "Преведи",  // 103
    "Превод",  // 104
    "Не мога да проверя за обновления",  // 105
    "Посети уебсайта",  // 106
    "Уебсайт",  // 107
    "Вече имате най-новата версия",  // 108
};

}  // namespace zandrel
