# Writes the file INPUT into OUTPUT as the C++ character array NAME, for
# text the program carries inside it (the interactive page's player).
file(READ ${INPUT} text)
string(FIND "${text}" ")orbivex\"" clash)
if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${INPUT} holds the raw string's end mark")
endif()
file(WRITE ${OUTPUT} "// Made from ${INPUT} at build time.\nextern const char ${NAME}[];\nconst char ${NAME}[] = R\"orbivex(${text})orbivex\";\n")
