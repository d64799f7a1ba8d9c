#include "CLibraryNames.h"

#include <algorithm>
#include <cstring>

namespace {

// Sorted (byte order), searched by halving.
const char *const Names[] = {
    "BUFSIZ", "CHAR_BIT", "CHAR_MAX", "CHAR_MIN", "CLOCKS_PER_SEC", "DBL_DIG", "DBL_EPSILON",
    "DBL_MANT_DIG", "DBL_MAX", "DBL_MAX_10_EXP", "DBL_MAX_EXP", "DBL_MIN", "DBL_MIN_10_EXP",
    "DBL_MIN_EXP", "DECIMAL_DIG", "EDOM", "EILSEQ", "EOF", "ERANGE", "EXIT_FAILURE", "EXIT_SUCCESS",
    "FE_ALL_EXCEPT", "FE_DFL_ENV", "FE_DIVBYZERO", "FE_DOWNWARD", "FE_INEXACT", "FE_INVALID",
    "FE_OVERFLOW", "FE_TONEAREST", "FE_TOWARDZERO", "FE_UNDERFLOW", "FE_UPWARD", "FILE",
    "FILENAME_MAX", "FLT_DIG", "FLT_EPSILON", "FLT_EVAL_METHOD", "FLT_MANT_DIG", "FLT_MAX",
    "FLT_MAX_10_EXP", "FLT_MAX_EXP", "FLT_MIN", "FLT_MIN_10_EXP", "FLT_MIN_EXP", "FLT_RADIX",
    "FLT_ROUNDS", "FOPEN_MAX", "FP_FAST_FMA", "FP_ILOGB0", "FP_ILOGBNAN", "FP_INFINITE", "FP_NAN",
    "FP_NORMAL", "FP_SUBNORMAL", "FP_ZERO", "HUGE_VAL", "HUGE_VALF", "HUGE_VALL", "I", "INFINITY",
    "INT16_C", "INT16_MAX", "INT16_MIN", "INT32_C", "INT32_MAX", "INT32_MIN", "INT64_C",
    "INT64_MAX", "INT64_MIN", "INT8_C", "INT8_MAX", "INT8_MIN", "INTMAX_C", "INTMAX_MAX",
    "INTMAX_MIN", "INTPTR_MAX", "INTPTR_MIN", "INT_MAX", "INT_MIN", "LC_ALL", "LC_COLLATE",
    "LC_CTYPE", "LC_MONETARY", "LC_NUMERIC", "LC_TIME", "LDBL_DIG", "LDBL_EPSILON", "LDBL_MANT_DIG",
    "LDBL_MAX", "LDBL_MAX_10_EXP", "LDBL_MAX_EXP", "LDBL_MIN", "LDBL_MIN_10_EXP", "LDBL_MIN_EXP",
    "LLONG_MAX", "LLONG_MIN", "LONG_MAX", "LONG_MIN", "L_tmpnam", "MATH_ERREXCEPT", "MATH_ERRNO",
    "MB_CUR_MAX", "MB_LEN_MAX", "NAN", "NDEBUG", "NULL", "PTRDIFF_MAX", "PTRDIFF_MIN", "RAND_MAX",
    "SCHAR_MAX", "SCHAR_MIN", "SEEK_CUR", "SEEK_END", "SEEK_SET", "SHRT_MAX", "SHRT_MIN", "SIGABRT",
    "SIGFPE", "SIGILL", "SIGINT", "SIGSEGV", "SIGTERM", "SIG_ATOMIC_MAX", "SIG_ATOMIC_MIN",
    "SIG_DFL", "SIG_ERR", "SIG_IGN", "SIZE_MAX", "TMP_MAX", "UCHAR_MAX", "UINT16_C", "UINT16_MAX",
    "UINT32_C", "UINT32_MAX", "UINT64_C", "UINT64_MAX", "UINT8_C", "UINT8_MAX", "UINTMAX_C",
    "UINTMAX_MAX", "UINTPTR_MAX", "UINT_MAX", "ULLONG_MAX", "ULONG_MAX", "USHRT_MAX", "WCHAR_MAX",
    "WCHAR_MIN", "WEOF", "WINT_MAX", "WINT_MIN", "_Complex_I", "_Exit", "_IOFBF", "_IOLBF",
    "_IONBF", "_Imaginary_I", "__bool_true_false_are_defined", "abort", "abs", "acos", "acosf",
    "acosh", "acoshf", "and", "and_eq", "asctime", "asin", "asinf", "asinh", "asinhf", "assert",
    "atan", "atan2", "atan2f", "atanf", "atanh", "atanhf", "atexit", "atof", "atoi", "atol",
    "atoll", "bitand", "bitor", "bool", "bsearch", "btowc", "cabs", "cacos", "cacosh", "calloc",
    "carg", "casin", "casinh", "catan", "catanh", "cbrt", "cbrtf", "ccos", "ccosh", "ceil", "ceilf",
    "cexp", "cimag", "clearerr", "clock", "clock_t", "clog", "compl", "complex", "conj", "copysign",
    "copysignf", "cos", "cosf", "cosh", "coshf", "cpow", "cproj", "creal", "csin", "csinh", "csqrt",
    "ctan", "ctanh", "ctime", "difftime", "div", "div_t", "double_t", "erf", "erfc", "erfcf",
    "erff", "errno", "exit", "exp", "exp2", "exp2f", "expf", "expm1", "expm1f", "fabs", "fabsf",
    "false", "fclose", "fdim", "fdimf", "feclearexcept", "fegetenv", "fegetexceptflag",
    "fegetround", "feholdexcept", "fenv_t", "feof", "feraiseexcept", "ferror", "fesetenv",
    "fesetexceptflag", "fesetround", "fetestexcept", "feupdateenv", "fexcept_t", "fflush", "fgetc",
    "fgetpos", "fgets", "fgetwc", "fgetws", "float_t", "floor", "floorf", "fma", "fmaf", "fmax",
    "fmaxf", "fmin", "fminf", "fmod", "fmodf", "fopen", "fpclassify", "fpos_t", "fprintf", "fputc",
    "fputs", "fputwc", "fputws", "fread", "free", "freopen", "frexp", "frexpf", "fscanf", "fseek",
    "fsetpos", "ftell", "fwide", "fwprintf", "fwrite", "fwscanf", "getc", "getchar", "getenv",
    "gets", "getwc", "getwchar", "gmtime", "hypot", "hypotf", "ilogb", "ilogbf", "imaginary",
    "imaxabs", "imaxdiv", "imaxdiv_t", "int16_t", "int32_t", "int64_t", "int8_t", "int_fast16_t",
    "int_fast32_t", "int_fast64_t", "int_fast8_t", "int_least16_t", "int_least32_t",
    "int_least64_t", "int_least8_t", "intmax_t", "intptr_t", "isalnum", "isalpha", "isblank",
    "iscntrl", "isdigit", "isfinite", "isgraph", "isgreater", "isgreaterequal", "isinf", "isless",
    "islessequal", "islessgreater", "islower", "isnan", "isnormal", "isprint", "ispunct", "isspace",
    "isunordered", "isupper", "iswalnum", "iswalpha", "iswblank", "iswcntrl", "iswctype",
    "iswdigit", "iswgraph", "iswlower", "iswprint", "iswpunct", "iswspace", "iswupper", "iswxdigit",
    "isxdigit", "jmp_buf", "labs", "lconv", "ldexp", "ldexpf", "ldiv", "ldiv_t", "lgamma",
    "lgammaf", "llabs", "lldiv", "lldiv_t", "llrint", "llrintf", "llround", "llroundf",
    "localeconv", "localtime", "log", "log10", "log10f", "log1p", "log1pf", "log2", "log2f", "logb",
    "logbf", "logf", "longjmp", "lrint", "lrintf", "lround", "lroundf", "main", "malloc",
    "math_errhandling", "mblen", "mbrlen", "mbrtowc", "mbsinit", "mbsrtowcs", "mbstate_t",
    "mbstowcs", "mbtowc", "memchr", "memcmp", "memcpy", "memmove", "memset", "mktime", "modf",
    "modff", "nan", "nanf", "nearbyint", "nearbyintf", "nextafter", "nextafterf", "nexttoward",
    "nexttowardf", "not", "not_eq", "offsetof", "or", "or_eq", "perror", "pow", "powf", "printf",
    "ptrdiff_t", "putc", "putchar", "puts", "putwc", "putwchar", "qsort", "raise", "rand",
    "realloc", "remainder", "remainderf", "remove", "remquo", "remquof", "rename", "rewind", "rint",
    "rintf", "round", "roundf", "scalbln", "scalblnf", "scalbn", "scalbnf", "scanf", "setbuf",
    "setjmp", "setlocale", "setvbuf", "sig_atomic_t", "signal", "signbit", "sin", "sinf", "sinh",
    "sinhf", "size_t", "snprintf", "sprintf", "sqrt", "sqrtf", "srand", "sscanf", "static_assert",
    "stderr", "stdin", "stdout", "strcat", "strchr", "strcmp", "strcoll", "strcpy", "strcspn",
    "strerror", "strftime", "strlen", "strncat", "strncmp", "strncpy", "strpbrk", "strrchr",
    "strspn", "strstr", "strtod", "strtof", "strtoimax", "strtok", "strtol", "strtold", "strtoll",
    "strtoul", "strtoull", "strtoumax", "strxfrm", "swprintf", "swscanf", "system", "tan", "tanf",
    "tanh", "tanhf", "tgamma", "tgammaf", "time", "time_t", "tm", "tmpfile", "tmpnam", "tolower",
    "toupper", "towctrans", "towlower", "towupper", "true", "trunc", "truncf", "uint16_t",
    "uint32_t", "uint64_t", "uint8_t", "uint_fast16_t", "uint_fast32_t", "uint_fast64_t",
    "uint_fast8_t", "uint_least16_t", "uint_least32_t", "uint_least64_t", "uint_least8_t",
    "uintmax_t", "uintptr_t", "ungetc", "ungetwc", "va_arg", "va_copy", "va_end", "va_list",
    "va_start", "vfprintf", "vfscanf", "vfwprintf", "vfwscanf", "vprintf", "vscanf", "vsnprintf",
    "vsprintf", "vsscanf", "vswprintf", "vswscanf", "vwprintf", "vwscanf", "wchar_t", "wcrtomb",
    "wcscat", "wcschr", "wcscmp", "wcscoll", "wcscpy", "wcscspn", "wcsftime", "wcslen", "wcsncat",
    "wcsncmp", "wcsncpy", "wcspbrk", "wcsrchr", "wcsrtombs", "wcsspn", "wcsstr", "wcstod", "wcstof",
    "wcstoimax", "wcstok", "wcstol", "wcstold", "wcstoll", "wcstombs", "wcstoul", "wcstoull",
    "wcstoumax", "wcsxfrm", "wctob", "wctomb", "wctrans", "wctrans_t", "wctype", "wctype_t",
    "wint_t", "wmemchr", "wmemcmp", "wmemcpy", "wmemmove", "wmemset", "wprintf", "wscanf", "xor",
    "xor_eq",
};

} // namespace

namespace CLibraryNames {

bool contains(const QString &name)
{
    if (name.isEmpty() || name.size() > 64)
        return false;
    const QByteArray latin = name.toLatin1();
    if (QString::fromLatin1(latin) != name)
        return false;
    return std::binary_search(std::begin(Names), std::end(Names), latin.constData(),
                              [](const char *a, const char *b) { return std::strcmp(a, b) < 0; });
}

} // namespace CLibraryNames
