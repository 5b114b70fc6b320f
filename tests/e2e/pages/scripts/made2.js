log('made2.js');
