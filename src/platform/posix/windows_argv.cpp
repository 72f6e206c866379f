// Splitting and quoting Windows command lines; portable code without the C runtime.
#include "platform/posix/windows_argv.h"

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t';
}

bool NeedsQuotes(const char* text, bool quoteCounts) {
    if (text[0] == '\0') {
        return true;
    }
    for (size_t i = 0; text[i] != '\0'; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte <= ' ' || (quoteCounts && byte == '"')) {
            return true;
        }
    }
    return false;
}

// Collects output characters, counting them all and storing those that fit.
struct Output {
    char* buffer;
    size_t capacity;
    size_t length;

    void Put(char c) {
        if (length < capacity) {
            buffer[length] = c;
        }
        ++length;
    }
    void PutRun(char c, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            Put(c);
        }
    }
};

void QuoteProgramName(const char* name, Output* out) {
    const bool quoted = NeedsQuotes(name, false);
    if (quoted) {
        out->Put('"');
    }
    for (size_t i = 0; name[i] != '\0'; ++i) {
        if (name[i] != '"') {
            out->Put(name[i]);
        }
    }
    if (quoted) {
        out->Put('"');
    }
}

void QuoteArgument(const char* argument, Output* out) {
    if (!NeedsQuotes(argument, true)) {
        for (size_t i = 0; argument[i] != '\0'; ++i) {
            out->Put(argument[i]);
        }
        return;
    }
    out->Put('"');
    size_t i = 0;
    for (;;) {
        size_t backslashes = 0;
        while (argument[i] == '\\') {
            ++backslashes;
            ++i;
        }
        if (argument[i] == '\0') {
            // Doubled, so that the closing quote is not taken as escaped.
            out->PutRun('\\', 2 * backslashes);
            break;
        }
        if (argument[i] == '"') {
            out->PutRun('\\', 2 * backslashes + 1);
        } else {
            out->PutRun('\\', backslashes);
        }
        out->Put(argument[i]);
        ++i;
    }
    out->Put('"');
}

size_t Length(const char* text) {
    size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

// Appends what write produces to line when it fits whole with the NUL.
template <typename Writer>
bool AppendWhole(char* line, size_t capacity, const char* text, bool separated, Writer write) {
    const size_t used = Length(line);
    Output measure = {nullptr, 0, separated ? size_t{1} : size_t{0}};
    write(text, &measure);
    if (used >= capacity || measure.length >= capacity - used) {
        return false;
    }
    Output out = {line + used, capacity - used, 0};
    if (separated) {
        out.Put(' ');
    }
    write(text, &out);
    line[used + out.length] = '\0';
    return true;
}

}  // namespace

bool SplitWindowsCommandLine(const char* line, char* storage, size_t storageCapacity,
                             char** arguments, size_t argumentCapacity, size_t* count) {
    size_t used = 0;
    size_t found = 0;
    size_t i = 0;
    bool fits = true;
    auto put = [&](char c) {
        if (used < storageCapacity) {
            storage[used++] = c;
        } else {
            fits = false;
        }
    };
    auto begin = [&]() {
        if (found + 1 < argumentCapacity && used < storageCapacity) {
            arguments[found++] = storage + used;
        } else {
            fits = false;
        }
    };

    // The program name: quotes toggle, backslashes are plain characters.
    begin();
    bool quoted = false;
    while (fits && line[i] != '\0' && (quoted || !IsSeparator(line[i]))) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else {
            put(line[i]);
        }
        ++i;
    }
    put('\0');

    while (fits) {
        while (IsSeparator(line[i])) {
            ++i;
        }
        if (line[i] == '\0') {
            break;
        }
        begin();
        quoted = false;
        while (fits && line[i] != '\0' && (quoted || !IsSeparator(line[i]))) {
            if (line[i] == '\\') {
                size_t backslashes = 0;
                while (line[i] == '\\') {
                    ++backslashes;
                    ++i;
                }
                if (line[i] != '"') {
                    for (size_t k = 0; k < backslashes; ++k) {
                        put('\\');
                    }
                    continue;
                }
                for (size_t k = 0; k < backslashes / 2; ++k) {
                    put('\\');
                }
                if (backslashes % 2 == 1) {
                    put('"');
                    ++i;
                }
                // With an even run the quote is read next, as a quote.
            } else if (line[i] == '"') {
                if (quoted && line[i + 1] == '"') {
                    put('"');
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                put(line[i]);
                ++i;
            }
        }
        put('\0');
    }
    if (!fits || argumentCapacity == 0) {
        return false;
    }
    arguments[found] = nullptr;
    *count = found;
    return true;
}

bool AppendWindowsProgramName(char* line, size_t capacity, const char* name) {
    return AppendWhole(line, capacity, name, false, QuoteProgramName);
}

bool AppendWindowsArgument(char* line, size_t capacity, const char* argument) {
    return AppendWhole(line, capacity, argument, true, QuoteArgument);
}

void JoinWindowsCommandLine(int argc, const char* const* argv, char* line, size_t capacity) {
    if (capacity == 0) {
        return;
    }
    line[0] = '\0';
    if (argc < 1 || argv[0] == nullptr || !AppendWindowsProgramName(line, capacity, argv[0])) {
        if (!AppendWindowsProgramName(line, capacity, "")) {
            return;
        }
    }
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        AppendWindowsArgument(line, capacity, argv[i]);
    }
}
