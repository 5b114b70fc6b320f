log('deferred.js');
