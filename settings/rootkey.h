/*
 * The company's root key under HKEY_CURRENT_USER: every key of the job
 * protocol and of the driver's settings lies below it. The one definition;
 * the ANSI and UTF-16 forms are both made from it.
 */
#ifndef JH_SETTINGS_ROOTKEY_H
#define JH_SETTINGS_ROOTKEY_H

#define JH_ROOT_KEY_TEXT "SOFTWARE\\Quennor Software LLC"

#define JH_WIDEN_(text) L##text
#define JH_WIDEN(text) JH_WIDEN_(text)

#define JH_ROOT_KEY_A JH_ROOT_KEY_TEXT
#define JH_ROOT_KEY_W JH_WIDEN(JH_ROOT_KEY_TEXT)

/* The driver's table of printer registry names, one sub-key per PrinterId. */
#define JH_PRINTER_IDS_KEY_W JH_ROOT_KEY_W L"\\PrinterIDs"

#endif
