# Writes a fixed-format MPS file in free format: every data line's fields,
# taken at the fixed columns, separated by single blanks; blanks inside a
# name become underscores (free format cannot hold them).
function field(from, width,    f) {
    f = substr(line, from, width)
    gsub(/^ +| +$/, "", f)
    gsub(/ /, "_", f)
    return f
}
{
    line = $0
    cr = ""
    if (sub(/\r$/, "", line)) cr = "\r"
    if (line ~ /^[^ *]/) { split(line, head, " "); section = head[1] }
    if (line ~ /^[^ ]/ || line ~ /^ *$/) { print line cr; next }
    out = ""
    if (section == "ROWS") {
        out = " " field(2, 2) " " field(5, 8)
    } else if (section == "BOUNDS") {
        out = " " field(2, 2) " " field(5, 8) " " field(15, 8) " " field(25, 12)
    } else {
        out = " " field(5, 8) " " field(15, 8) " " field(25, 12) " " field(40, 8) " " field(50, 12)
    }
    gsub(/ +$/, "", out)
    print out cr
}
