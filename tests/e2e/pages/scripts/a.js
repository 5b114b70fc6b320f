log('a.js');
