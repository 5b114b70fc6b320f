log('made1.js');
