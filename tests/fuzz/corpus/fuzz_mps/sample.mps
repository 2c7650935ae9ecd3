NAME sample
OBJSENSE
    MAX
ROWS
 N  profit
 L  c1
 L  c2
COLUMNS
    x1  profit  3
    x1  c1  1
    x1  c2  1
    x2  profit  2
    x2  c1  1
    x2  c2  3
RHS
    rhs  c1  4
    rhs  c2  6
ENDATA
