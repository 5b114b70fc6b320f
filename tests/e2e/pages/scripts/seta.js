var fromA = 'A';
log('seta.js');
