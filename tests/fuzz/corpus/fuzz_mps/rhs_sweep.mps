NAME rhs_sweep
OBJSENSE
    MAX
ROWS
 N  profit
 L  labour
 L  wood
 G  orders
 E  balance
COLUMNS
    chairs  profit  20
    chairs  labour  1
    chairs  wood  3
    chairs  balance  1
    tables  profit  30
    tables  labour  2
    tables  wood  2
    tables  orders  1
    desks  profit  45
    desks  labour  3
    desks  wood  4
    desks  balance  -2
RHS
    rhs  labour  120
    rhs  wood  200
    rhs  orders  10
ENDATA
