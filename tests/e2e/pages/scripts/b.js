log('b.js saw ' + (typeof fromA == 'undefined' ? 'nothing' : fromA));
