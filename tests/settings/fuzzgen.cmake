# Generates the calls of the settings fuzz test (settings_fuzz.cpp) from the
# DRVSETTINGS_API declarations of the library's public headers: one function
# per export that builds each argument from the rule its parameter matches,
# makes the call and hands the result to the checks. A parameter that no
# rule matches turns the export's function into a reported failure, so a
# new export whose parameters the rules do not know fails the test until a
# rule is added here.
#
# jh_generate_settings_fuzz(<output file> <header>...)
# The family of an export is the index of its header in the list.

# Rules, tried in order on "<parameter>|<next parameter>", each parameter
# written as "<type>* <name>" or "<type> <name>":
#   <regex>  <parameters taken>  <argument class>  <argument expressions>
# @ stands for the argument object's name.
set(JH_FUZZ_RULES
    "^const DriverDevMode\\* [A-Za-z]+"             1 "ArgBlock @(f, false)"      "@.Block()"
    "^DriverDevMode\\* [A-Za-z]+"                   1 "ArgBlock @(f, true)"       "@.MutableBlock()"
    "^(void|WCHAR)\\* [A-Za-z]+\\|DWORD\\* pcbSize" 2 "ArgTextOut @(f, false)"    "@.Buffer(), @.Size()"
    "^WCHAR\\* [A-Za-z]+\\|DWORD\\* pcchSize"       2 "ArgTextOut @(f, true)"     "@.Buffer(), @.Size()"
    "^WCHAR\\* [A-Za-z]+\\|DWORD cchOut"            2 "ArgCharsOut @(f, false)"   "@.Buffer(), @.Count()"
    "^WCHAR\\* [A-Za-z]+\\|DWORD cbBuffer"          2 "ArgCharsOut @(f, true)"    "@.Buffer(), @.Count()"
    "^(const )?void\\* pBuffer\\|DWORD cbBuffer"    2 "ArgRawBlock @(f)"          "@.Buffer(), @.Bytes()"
    "^const WCHAR\\* pszIniFile"                    1 "ArgIniPath @(f)"           "@.Get()"
    "^const WCHAR\\* pszRoot"                       1 "ArgRoot @(f)"              "@.Get()"
    "^const WCHAR\\* pszPattern"                    1 "ArgPattern @(f)"           "@.Get()"
    "^const WCHAR\\* [A-Za-z]+"                     1 "ArgText @(f)"              "@.Get()"
    "^int nProfile"                                 1 "ArgProfileNumber @(f)"    "@.Get()"
    "^(int|DWORD|short|WORD|BYTE|LONG|COLORREF) [A-Za-z]+" 1 "ArgNumber<\\1> @(f)" "@.Get()"
    "^(int|DWORD|LOGFONTW)\\* [A-Za-z]+"            1 "ArgOut<\\1> @(f)"          "@.Get()"
    "^const (LOGFONTW)\\* [A-Za-z]+"                1 "ArgIn<\\1> @(f)"           "@.Get()"
)

# "const WCHAR *pszName" -> "const WCHAR* pszName"
function(jh_fuzz_normalize text out)
    string(REGEX REPLACE "[ \t\r\n]+" " " text "${text}")
    string(REGEX REPLACE " ?\\* ?" "* " text "${text}")
    string(STRIP "${text}" text)
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The C++ function for one export: its arguments, the call, the checks.
function(jh_fuzz_export family ret name params out)
    set(body "")
    set(exprs "")
    list(LENGTH params count)
    set(i 0)
    set(k 0)
    while(i LESS count)
        list(GET params ${i} param)
        set(pair "${param}|")
        math(EXPR next "${i} + 1")
        if(next LESS count)
            list(GET params ${next} nextparam)
            set(pair "${param}|${nextparam}")
        endif()
        set(matched FALSE)
        set(rules ${JH_FUZZ_RULES})
        while(rules AND NOT matched)
            list(POP_FRONT rules regex taken class expr)
            if(pair MATCHES "${regex}")
                string(REGEX REPLACE "${regex}.*" "${class}" class "${pair}")
                string(REPLACE "@" "a${k}" class "${class}")
                string(REPLACE "@" "a${k}" expr "${expr}")
                string(APPEND body "    ${class};\n")
                list(APPEND exprs "${expr}")
                math(EXPR i "${i} + ${taken}")
                math(EXPR k "${k} + 1")
                set(matched TRUE)
            endif()
        endwhile()
        if(NOT matched)
            set(${out} "static void Fuzz_${name}(Fuzz &f) { f.NoRule(\"${name}\", \"${param}\"); }\n" PARENT_SCOPE)
            return()
        endif()
    endwhile()
    list(JOIN exprs ", " args)
    if(ret STREQUAL "void")
        string(APPEND body "    f.Call();\n    ${name}(${args});\n    f.Returned();\n")
    else()
        string(APPEND body "    f.Call();\n    ${ret} r = ${name}(${args});\n    f.Returned(r);\n")
    endif()
    set(${out} "static void Fuzz_${name}(Fuzz &f)\n{\n${body}}\n" PARENT_SCOPE)
endfunction()

function(jh_generate_settings_fuzz output)
    set(functions "")
    set(table "")
    set(family 0)
    foreach(header ${ARGN})
        file(READ ${header} text)
        # Lists use ';': take it out of the text, and the comments with it.
        string(REPLACE ";" "@SEMI@" text "${text}")
        string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" "" text "${text}")
        # Declarations start a line; "#define DRVSETTINGS_API" does not.
        string(REGEX MATCHALL "\nDRVSETTINGS_API[^@]*@SEMI@" declarations "${text}")
        foreach(declaration IN LISTS declarations)
            if(NOT declaration MATCHES "^\nDRVSETTINGS_API([^(]*[ *])([A-Za-z_][A-Za-z0-9_]*)[ \t\r\n]*\\(([^)]*)\\)")
                continue()
            endif()
            set(name "${CMAKE_MATCH_2}")
            jh_fuzz_normalize("${CMAKE_MATCH_1}" ret)
            string(REPLACE "," ";" raw "${CMAKE_MATCH_3}")
            set(params "")
            foreach(param IN LISTS raw)
                jh_fuzz_normalize("${param}" param)
                if(NOT param STREQUAL "void" AND NOT param STREQUAL "")
                    list(APPEND params "${param}")
                endif()
            endforeach()
            jh_fuzz_export(${family} "${ret}" ${name} "${params}" function)
            string(APPEND functions "${function}")
            set(pure 0)
            if(name MATCHES "^(DevMode_)?(Get|Is|Select|Read|Decode|Encode|Scramble|From)|Name$|Size$|From[A-Za-z]+$")
                set(pure 1)
            endif()
            string(APPEND table "    {${family}, \"${name}\", Fuzz_${name}, ${pure}},\n")
        endforeach()
        math(EXPR family "${family} + 1")
    endforeach()
    file(CONFIGURE OUTPUT ${output} CONTENT
        "/* Made by tests/settings/fuzzgen.cmake from the DRVSETTINGS_API declarations. */\n${functions}\nstatic const FuzzExport g_aExports[] = {\n${table}};\n")
endfunction()
